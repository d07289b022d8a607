#include "shell/aboutwindow.h"

#include "app/appcontext.h"
#include "widgets/programlogo.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* textLine(const QString& text, const char* name = nullptr)
{
    auto* label = new QLabel(text);
    if (name)
        label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

AboutWindow::AboutWindow(AppContext& context, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + context.appTitle);
    setWindowIcon(programIcon());

    picIcon = new QLabel;
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(programLogo(72, devicePixelRatioF()));
    picIcon->setAlignment(Qt::AlignTop);

    QLabel* title = textLine(context.appTitle, "lblTitle");
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    QLabel* version = textLine(QStringLiteral("Version ") + AppContext::appVersion(), "lblVersion");
    QLabel* description =
        textLine(QStringLiteral("The diet log that knows what is in your food."), "lblDescription");
    lblDataFolder =
        textLine(QStringLiteral("Data folder:  ") + QDir::toNativeSeparators(context.dataFolder.path),
                 "lblDataFolder");
    lblDataFolder->setToolTip(
        QStringLiteral("Where your log and its backups are kept (%1)").arg(context.dataFolder.originText()));

    QLabel* contact = textLine(QStringLiteral("How to contact us:"), "lblContact");
    QFont bold = contact->font();
    bold.setBold(true);
    contact->setFont(bold);
    lblEmail = textLine(QStringLiteral("E-mail:  ") + context.supportAddress, "lblEmail");
    lblAddress = textLine(QStringLiteral("Mail:  ") + context.companyName +
                              QStringLiteral(", 1200 Larkspur Lane, Suite 4, Meadowbrook, OR 97321, USA"),
                          "lblAddress");
    lblInternet = textLine(QStringLiteral("Internet:  ") + context.webAddress, "lblInternet");

    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    lblLegal =
        textLine(QStringLiteral("Copyright \u00a9 ") + context.companyName +
                     QStringLiteral(". All rights reserved. The food data comes from the USDA National "
                                    "Nutrient Database for Standard Reference, which is in the public "
                                    "domain. The icons of the Tango Desktop Project are in the public "
                                    "domain."),
                 "lblLegal");
    lblLegal->setWordWrap(true);
    lblLegal->setMinimumWidth(420);
    QFont small = lblLegal->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    lblLegal->setFont(small);

    cmdOK = new QPushButton(QStringLiteral("OK"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addSpacing(6);
    text->addWidget(description);
    text->addWidget(lblDataFolder);
    text->addSpacing(10);
    text->addWidget(contact);
    text->addWidget(lblEmail);
    text->addWidget(lblAddress);
    text->addWidget(lblInternet);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblLegal, 1);
    bottom->addSpacing(12);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(rule);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
