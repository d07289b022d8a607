#include "shell/tipwindow.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "shell/introduction.h"
#include "widgets/programlogo.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

TipWindow::TipWindow(AppContext& context, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(context.appTitle + QStringLiteral(" Introduction"));
    setWindowIcon(programIcon());

    auto* logo = new QLabel;
    logo->setPixmap(programLogo(80, devicePixelRatioF()));
    logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    rtbTip = new QTextEdit;
    rtbTip->setObjectName(QStringLiteral("rtbTip"));
    rtbTip->setReadOnly(true);
    QString text = introductionText();
    rtbTip->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QFont textFont = rtbTip->font();
    textFont.setPointSizeF(textFont.pointSizeF() * 1.1);
    rtbTip->setFont(textFont);

    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Show at Startup"));
    chkLoadTipsAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    // Every change is stored at once, ticking it while loading included.
    connect(chkLoadTipsAtStartup, &QCheckBox::toggled, this, [&context](bool checked) {
        context.config().setConfig(QStringLiteral("SHOWTIPS"),
                                   checked ? QStringLiteral("Y") : QStringLiteral("N"), false);
    });
    chkLoadTipsAtStartup->setChecked(true);

    cmdOK = new QPushButton(QStringLiteral("Continue"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* body = new QHBoxLayout;
    body->addWidget(logo);
    body->addWidget(rtbTip, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkLoadTipsAtStartup);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    resize(560, 300);
    cmdOK->setFocus();
}
