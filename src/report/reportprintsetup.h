#pragma once

#include <QString>

class AppContext;
class CPrintListView;

// How both reports print: 1 cm margins, the report's orientation, the
// program's footer on every page and the report's caption with the user's
// name as the title of the first page, column titles in bold.
namespace ReportPrintSetup {

// CompanyName + " - " + WebAddress, 80 blanks, AppTitle + " " + version,
// 80 blanks, "Page <pag>".
QString footerText(const AppContext& context);
// The title: the window's caption + " for " + the current user's name.
QString titleText(AppContext& context, const QString& caption);
void apply(CPrintListView& printer, AppContext& context, const QString& caption, bool landscape);

} // namespace ReportPrintSetup
