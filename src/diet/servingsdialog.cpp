#include "diet/servingsdialog.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "data/positioning.h"
#include "data/recordset.h"
#include "widgets/accessiblecombobox.h"
#include "widgets/servingscombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ServingsDialog::ServingsDialog(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("dlgServings"));
    setWindowTitle(QStringLiteral("Diet Information"));
    setModal(true);

    cmbServings = ServingsCombo::create(this);

    cmbServSize = new QComboBox(this);
    cmbServSize->setObjectName(QStringLiteral("cmbServSize"));
    // USDA measure names run long ("1 stalk, large (11"-12" long)"): show them whole.
    cmbServSize->setMinimumContentsLength(18);
    cmbServSize->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    dtDate = new QDateEdit(this);
    dtDate->setObjectName(QStringLiteral("dtDate"));
    dtDate->setCalendarPopup(true);
    dtDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));

    cmbMeal = new QComboBox(this);
    cmbMeal->setObjectName(QStringLiteral("cmbMeal"));

    // A check box rather than a lone option button, so a mark can be taken back.
    rbPreffered = new QCheckBox(QStringLiteral("Mark Preferred"), this);
    rbPreffered->setObjectName(QStringLiteral("rbPreffered"));
    rbPreffered->setToolTip(QStringLiteral("Make the chosen serving size the food's own"));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout();
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Number of Servings"), cmbServings);
    form->addRow(QStringLiteral("Serving Size"), cmbServSize);
    form->addRow(QStringLiteral("Date"), dtDate);
    form->addRow(QStringLiteral("Meal"), cmbMeal);
    form->addRow(QString(), rbPreffered);

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
    AccessibleComboBox::nameEditor(cmbServings);

    connect(OKButton, &QPushButton::clicked, this, &ServingsDialog::okClicked);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        m_closeMode = QStringLiteral("CANCEL");
        QDialog::done(Rejected);
    });
}

void ServingsDialog::setMeasures(const QStringList& descriptions)
{
    cmbServSize->setEditable(false);
    cmbServSize->clear();
    cmbServSize->addItems(descriptions);
}

void ServingsDialog::setFixedServingSize(const QString& servingSize)
{
    cmbServSize->clear();
    cmbServSize->setEditable(true);
    cmbServSize->lineEdit()->setReadOnly(true);
    AccessibleComboBox::nameEditor(cmbServSize);
    cmbServSize->setEditText(servingSize);
    rbPreffered->hide();
}

bool ServingsDialog::hasMeasures() const
{
    return !cmbServSize->isEditable() && cmbServSize->count() > 0;
}

void ServingsDialog::appendToCaption(const QString& name)
{
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + name);
}

double ServingsDialog::servings() const
{
    return parseNumber(cmbServings->currentText()).value_or(0.0);
}

void ServingsDialog::okClicked()
{
    const std::optional<double> servings = parseNumber(cmbServings->currentText());
    if (!servings || (m_servingsCheck && !m_servingsCheck(*servings, cmbServSize->currentIndex()))) {
        m_context.exclaim(QStringLiteral("Number of Servings must be numeric."));
        cmbServings->setFocus();
        cmbServings->lineEdit()->selectAll();
        return;
    }
    if (!dtDate->date().isValid()) {
        m_context.exclaim(QStringLiteral("Date Field must be a valid Date value."));
        dtDate->setFocus();
        return;
    }
    if (!cmbServSize->isEditable() && cmbServSize->count() > 0 && cmbServSize->currentIndex() < 0) {
        m_context.exclaim(QStringLiteral("You must select an existing Serving Size."));
        cmbServSize->setFocus();
        return;
    }
    m_closeMode = QStringLiteral("OK");
    QDialog::done(Accepted);
}

void ServingsDialog::done(int result)
{
    // Esc and the window frame close without a choice: that is a cancel.
    if (m_closeMode.isEmpty())
        m_closeMode = QStringLiteral("CANCEL");
    QDialog::done(result);
}

void ServingsDialog::offerServings(Recordset& measures, const QString& name, qint32 msreNo,
                                   const QString& servingSize)
{
    QStringList descriptions;
    for (measures.moveFirst(); !measures.eof(); measures.moveNext())
        descriptions << measures.text(QStringLiteral("MSRE_DESC"));
    rbPreffered->setChecked(false);
    appendToCaption(name);
    if (descriptions.isEmpty()) {
        setFixedServingSize(servingSize);
        return;
    }
    setMeasures(descriptions);
    cmbServSize->setCurrentIndex(measurePosition(measures, msreNo));
}
