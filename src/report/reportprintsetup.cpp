#include "report/reportprintsetup.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "print/cprintlistview.h"
#include "print/printsurface.h"

namespace ReportPrintSetup {

QString footerText(const AppContext& context)
{
    const QString gap(80, QLatin1Char(' '));
    return context.companyName + QStringLiteral(" - ") + context.webAddress + gap + context.appTitle +
           QLatin1Char(' ') + AppContext::appVersion() + gap + QStringLiteral("Page <pag>");
}

QString titleText(AppContext& context, const QString& caption)
{
    return caption + QStringLiteral(" for ") + context.config().getConfig(context.currentUser);
}

void apply(CPrintListView& printer, AppContext& context, const QString& caption, bool landscape)
{
    printer.page.setMargins(1);
    printer.page.orientation = qint16(landscape ? PrintSurface::kLandscape : PrintSurface::kPortrait);

    printer.page.footer.text = footerText(context);
    printer.page.footer.font = FontSpec{QStringLiteral("Arial"), 8};
    printer.page.footer.alignment = CText::kCentre;

    printer.title.text = titleText(context, caption);
    printer.title.font = FontSpec{QStringLiteral("Times New Roman"), 14, true, false};
    printer.title.alignment = CText::kCentre;

    printer.headerFont.bold = true;
}

} // namespace ReportPrintSetup
