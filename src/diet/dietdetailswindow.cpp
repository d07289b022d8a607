#include "diet/dietdetailswindow.h"

#include "app/numbers.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

DietDetailsWindow::DietDetailsWindow(const QString& other1, const QString& other2, QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmDietDetails"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("Diet Totals"));

    lblDetailText = new QLabel(this);
    lblDetailText->setObjectName(QStringLiteral("lblDetailText"));
    lblDetailText->setAlignment(Qt::AlignCenter);
    QFont titleFont = lblDetailText->font();
    titleFont.setBold(true);
    lblDetailText->setFont(titleFont);
    lblDetailText->setWordWrap(true);

    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(8);
    grid->setColumnMinimumWidth(3, 12);
    // Each box with its label before it and its goal after it.
    int boxes = 0;
    auto box = [&](const char* name, QLabel* label, int row, int column) {
        auto* goal = new QLabel(this);
        goal->setObjectName(QStringLiteral("lblGoal%1").arg(boxes));
        lblGoal[boxes++] = goal;
        grid->addWidget(goal, row, column + 2);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignRight);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.0")) + 12);
        label->setBuddy(edit);
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        return edit;
    };
    auto label = [this](const QString& text) { return new QLabel(text, this); };
    lblOther1 = label(other1);
    lblOther1->setObjectName(QStringLiteral("lblOther1"));
    lblOther2 = label(other2);
    lblOther2->setObjectName(QStringLiteral("lblOther2"));
    // In nutrient order, so that lblGoal follows it.
    txtFat = box("txtFat", label(QStringLiteral("Fat")), 0, 0);
    txtProtein = box("txtProtein", label(QStringLiteral("Protein")), 0, 4);
    txtCarb = box("txtCarb", label(QStringLiteral("Carbohydrates")), 1, 0);
    txtCalorie = box("txtCalorie", label(QStringLiteral("Calories")), 1, 4);
    txtSodium = box("txtSodium", label(QStringLiteral("Sodium")), 2, 4);
    txtCholesterol = box("txtCholesterol", label(QStringLiteral("Cholesterol")), 2, 0);
    txtOther1 = box("txtOther1", lblOther1, 3, 0);
    txtOther2 = box("txtOther2", lblOther2, 3, 4);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(lblDetailText);
    layout->addSpacing(4);
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void DietDetailsWindow::setValues(const QString& detailText, const Nutrients& values)
{
    lblDetailText->setText(detailText);
    // Nutrients::columns() order: Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2.
    QLineEdit* boxes[] = {txtFat, txtProtein, txtCarb, txtCalorie, txtSodium, txtCholesterol, txtOther1, txtOther2};
    // A stored value beyond any number (a damaged row) makes a sum that is no
    // number either: the format says so, never "inf" or "nan".
    for (int i = 0; i < 8; ++i)
        boxes[i]->setText(formatOneDecimal(values.values[i]));
}

void DietDetailsWindow::setGoals(const DailyGoals& goals, const Nutrients& totals)
{
    for (int i = 0; i < kNutrientCount; ++i)
        lblGoal[i]->setText(DailyGoals::note(totals[i], goals.goal(i)));
}

void DietDetailsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

void DietDetailsWindow::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        m_wasActive = true;
    else if (m_wasActive)
        close();
}
