#include "food/finddialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find Food"));

    Frame1 = new QGroupBox(QStringLiteral("Search"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    optFood = new QRadioButton(QStringLiteral("Search Foods Data"), Frame1);
    optFood->setObjectName(QStringLiteral("optFood"));
    optFood->setChecked(true);
    optDiet = new QRadioButton(QStringLiteral("Search Diet Data"), Frame1);
    optDiet->setObjectName(QStringLiteral("optDiet"));
    auto* options = new QVBoxLayout(Frame1);
    options->addWidget(optFood);
    options->addWidget(optDiet);

    auto* label = new QLabel(QStringLiteral("Find What:"), this);
    txtFindName = new QLineEdit(this);
    txtFindName->setObjectName(QStringLiteral("txtFindName"));
    txtFindName->setMinimumWidth(260);
    label->setBuddy(txtFindName);

    FindButton = new QPushButton(QStringLiteral("Find &Next"), this);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    FindButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);

    auto* text = new QHBoxLayout();
    text->addWidget(label);
    text->addWidget(txtFindName, 1);
    auto* left = new QVBoxLayout();
    left->addLayout(text);
    left->addWidget(Frame1);
    auto* buttons = new QVBoxLayout();
    buttons->addWidget(FindButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(txtFindName, &QLineEdit::textChanged, this, [this] { m_continueSearch = false; });
    connect(FindButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(CancelButton, &QPushButton::clicked, this, &FindDialog::reject);
}

bool FindDialog::searchFoods() const
{
    return optFood->isChecked();
}

QString FindDialog::findText() const
{
    return txtFindName->text();
}

void FindDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Each opening starts without a result, so closing it by the frame or Esc
    // counts as Cancel rather than repeating the last search.
    m_closeMode.clear();
    m_continueSearch = !txtFindName->text().trimmed().isEmpty();
    if (m_continueSearch)
        txtFindName->selectAll();
    m_searchedFoods = optFood->isChecked();
    txtFindName->setFocus();
}

void FindDialog::findNext()
{
    m_closeMode = QStringLiteral("FIND");
    if (optFood->isChecked() != m_searchedFoods)
        m_continueSearch = false;
    accept();
}

void FindDialog::reject()
{
    m_closeMode = QStringLiteral("CANCEL");
    QDialog::reject();
}
