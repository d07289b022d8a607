#include "builder/fbservingsdialog.h"

#include "app/appcontext.h"
#include "builder/foodbuilder.h"
#include "widgets/accessiblecombobox.h"
#include "widgets/servingscombo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FBServingsDialog::FBServingsDialog(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("dlgFBServings"));
    setWindowTitle(QStringLiteral("Serving Size Settings"));
    setModal(true);

    cmbServSize = new QComboBox(this);
    cmbServSize->setObjectName(QStringLiteral("cmbServSize"));
    cmbServSize->setEditable(true);
    cmbServSize->setInsertPolicy(QComboBox::NoInsert);
    // USDA measure names run long ("1 stalk, large (11"-12" long)"): show them whole.
    cmbServSize->setMinimumContentsLength(18);
    cmbServSize->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    cmbServings = ServingsCombo::create(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout();
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Serving Size"), cmbServSize);
    form->addRow(QStringLiteral("Number of Servings"), cmbServings);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Once the form's labels are in the dialog.
    AccessibleComboBox::nameEditor(cmbServSize);
    AccessibleComboBox::nameEditor(cmbServings);

    connect(OKButton, &QPushButton::clicked, this, &FBServingsDialog::okClicked);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        m_closeMode = QStringLiteral("CANCEL");
        QDialog::done(Rejected);
    });
}

void FBServingsDialog::appendToCaption(const QString& name)
{
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + name);
}

void FBServingsDialog::offerMeasures(const QStringList& descriptions, int position)
{
    m_hasMeasures = !descriptions.isEmpty();
    cmbServSize->clear();
    cmbServSize->lineEdit()->setReadOnly(false);
    cmbServSize->addItems(descriptions);
    cmbServSize->setCurrentIndex(qBound(0, position, int(descriptions.size()) - 1));
}

void FBServingsDialog::lockServingSize(const QString& servingSize)
{
    m_hasMeasures = false;
    cmbServSize->clear();
    cmbServSize->setEditText(servingSize);
    cmbServSize->lineEdit()->setReadOnly(true);
}

void FBServingsDialog::setServings(double servings)
{
    ServingsCombo::show(cmbServings, servings, FoodBuilder::servingsText(servings));
}

int FBServingsDialog::chosenMeasure() const
{
    if (!m_hasMeasures)
        return -1;
    // A listed size, whether picked or typed out in full; anything else is no choice.
    const QString text = cmbServSize->currentText();
    const int current = cmbServSize->currentIndex();
    if (current >= 0 && cmbServSize->itemText(current) == text)
        return current;
    return cmbServSize->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

double FBServingsDialog::servings() const
{
    return FoodBuilder::parseServings(cmbServings->currentText()).value_or(0.0);
}

void FBServingsDialog::okClicked()
{
    if (!FoodBuilder::parseServings(cmbServings->currentText())) {
        m_context.exclaim(QLatin1String(BuilderMessages::kNotNumeric));
        cmbServings->setFocus();
        cmbServings->lineEdit()->selectAll();
        return;
    }
    if (m_hasMeasures && chosenMeasure() < 0) {
        m_context.exclaim(QLatin1String(BuilderMessages::kNoMeasure));
        cmbServSize->setFocus();
        return;
    }
    m_closeMode = QStringLiteral("OK");
    QDialog::done(Accepted);
}

void FBServingsDialog::done(int result)
{
    // Esc and the window frame close without a choice: that is a cancel.
    if (m_closeMode.isEmpty())
        m_closeMode = QStringLiteral("CANCEL");
    QDialog::done(result);
}
