#include "snapshot/snapshotwindow.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "data/storeddates.h"
#include "data/transaction.h"
#include "app/helpcatalogue.h"
#include "widgets/helpwindow.h"
#include "widgets/icons.h"
#include "widgets/plainbutton.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

const QString SnapshotWindow::kTitle = QStringLiteral("Physical SnapShot");
const QString SnapshotWindow::kSaveQuestion = QStringLiteral("SnapShot data has changed.  Do you wish to save it?");
const QString SnapshotWindow::kDeleteQuestion =
    QStringLiteral("Are you sure you want to Delete the selected entry?");

namespace {

const QString kNew = QStringLiteral("NEW");
const QString kSnapId = QStringLiteral("SNAPID");
constexpr int kKeyRole = Qt::UserRole;       // "K" + SnapId
constexpr int kTakenRole = Qt::UserRole + 1; // when it was taken, for the row order

// The value columns of the history are right-aligned, all rows alike.
class ValueColumns : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int values = 0;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() >= 1 && index.column() <= values)
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

qint32 idOf(const QTreeWidgetItem* row)
{
    return row->data(0, kKeyRole).toString().mid(1).toInt();
}

// Rows run in time order, rows of the same minute in id order.
bool before(const QTreeWidgetItem* row, const QDateTime& taken, qint32 snapId)
{
    const QDateTime rowTaken = row->data(0, kTakenRole).toDateTime();
    return rowTaken < taken || (rowTaken == taken && idOf(row) < snapId);
}

} // namespace

SnapshotWindow::SnapshotWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_slots(std::array<QString, SnapshotSlots::kValues>{})
{
    setObjectName(QStringLiteral("frmSnapshot"));
    setWindowTitle(kTitle);
    buildControls();
}

SnapshotWindow::~SnapshotWindow()
{
    if (m_loaded)
        m_context.dataSource().rsSnapShotData.close();
}

void SnapshotWindow::buildControls()
{
    auto* historyLabel = new QLabel(QStringLiteral("SnapShot History"));
    historyLabel->setObjectName(QStringLiteral("Label4"));
    lstSnapShot = new QTreeWidget;
    lstSnapShot->setObjectName(QStringLiteral("lstSnapShot"));
    lstSnapShot->setRootIsDecorated(false);
    lstSnapShot->setUniformRowHeights(true);
    lstSnapShot->setAllColumnsShowFocus(true);
    lstSnapShot->setSelectionMode(QAbstractItemView::SingleSelection);
    lstSnapShot->header()->setStretchLastSection(true);
    historyLabel->setBuddy(lstSnapShot);
    lstSnapShot->setAccessibleName(historyLabel->text()); // a list is named only by name
    connect(lstSnapShot, &QTreeWidget::itemSelectionChanged, this, &SnapshotWindow::rowSelected);

    frmSnapshot = new QGroupBox(QStringLiteral("SnapShot Details"));
    frmSnapshot->setObjectName(QStringLiteral("frmSnapshotDetails"));
    auto* details = new QGridLayout(frmSnapshot);
    dtDate = new QDateEdit;
    dtDate->setObjectName(QStringLiteral("dtDate"));
    dtDate->setCalendarPopup(true);
    dtDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    dtTime = new QTimeEdit;
    dtTime->setObjectName(QStringLiteral("dtTime"));
    dtTime->setDisplayFormat(QStringLiteral("hh:mm AP"));
    auto* dateLabel = new QLabel(QStringLiteral("Date"));
    auto* timeLabel = new QLabel(QStringLiteral("Time"));
    dateLabel->setBuddy(dtDate);
    timeLabel->setBuddy(dtTime);
    details->addWidget(dateLabel, 0, 0);
    details->addWidget(dtDate, 0, 1);
    details->addWidget(timeLabel, 0, 2);
    details->addWidget(dtTime, 0, 3);
    // The values two to a line, in position order.
    for (int p = 0; p < SnapshotSlots::kValues; ++p) {
        lblSnapValue[p] = new QLabel(QStringLiteral("Value %1").arg(p + 1));
        lblSnapValue[p]->setObjectName(QStringLiteral("lblSnapValue%1").arg(p));
        txtSnapShot[p] = new QLineEdit;
        txtSnapShot[p]->setObjectName(QStringLiteral("txtSnapShot%1").arg(p));
        lblSnapValue[p]->setBuddy(txtSnapShot[p]);
        details->addWidget(lblSnapValue[p], 1 + p / 2, (p % 2) * 2);
        details->addWidget(txtSnapShot[p], 1 + p / 2, (p % 2) * 2 + 1);
        connect(txtSnapShot[p], &QLineEdit::textChanged, this, &SnapshotWindow::changed);
    }
    txtComments = new QLineEdit;
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setMaxLength(SnapshotSlots::kCommentLength);
    auto* commentsLabel = new QLabel(QStringLiteral("Comments"));
    commentsLabel->setBuddy(txtComments);
    details->addWidget(commentsLabel, 5, 0);
    details->addWidget(txtComments, 5, 1, 1, 3);
    details->setColumnStretch(1, 1);
    details->setColumnStretch(3, 1);
    connect(txtComments, &QLineEdit::textChanged, this, &SnapshotWindow::changed);
    connect(dtDate, &QDateEdit::dateChanged, this, &SnapshotWindow::changed);
    connect(dtTime, &QTimeEdit::timeChanged, this, &SnapshotWindow::changed);

    cmdNew = plainButton("cmdNew", QStringLiteral("New"), QStringLiteral("Start a new SnapShot"));
    cmdSave = plainButton("cmdSave", QStringLiteral("Save"), QStringLiteral("Save SnapShot Data"));
    cmdEdit = plainButton("cmdEdit", QStringLiteral("Edit"));
    cmdDelete =
        plainButton("cmdDelete", QStringLiteral("Delete"), QStringLiteral("Delete Selected SnapShot Entry"));
    cmdReport = plainButton("cmdReport", QStringLiteral("Report"), QStringLiteral("Produce SnapShot Report"));
    cmdHelp = plainButton("cmdHelp", QStringLiteral("Help"), QStringLiteral("Physical Snapshot Help"));
    cmdHelp->setIcon(Icons::toolbar(QStringLiteral("Help")));
    cmdDone =
        plainButton("cmdDone", QStringLiteral("Done"), QStringLiteral("Leave Physical Snapshot Window"));
    cmdEdit->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdSave->setEnabled(false);
    connect(cmdNew, &QPushButton::clicked, this, &SnapshotWindow::newEntry);
    connect(cmdSave, &QPushButton::clicked, this, &SnapshotWindow::save);
    connect(cmdEdit, &QPushButton::clicked, this, &SnapshotWindow::editEntry);
    connect(cmdDelete, &QPushButton::clicked, this, &SnapshotWindow::deleteEntry);
    connect(cmdReport, &QPushButton::clicked, this, &SnapshotWindow::reportRequested);
    connect(cmdHelp, &QPushButton::clicked, this, &SnapshotWindow::help);
    connect(cmdDone, &QPushButton::clicked, this, &SnapshotWindow::leave);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdNew, cmdSave, cmdEdit, cmdDelete, cmdReport})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdDone);

    auto* left = new QVBoxLayout;
    left->addWidget(historyLabel);
    left->addWidget(lstSnapShot, 1);
    left->addWidget(frmSnapshot);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(720, 520);
}

bool SnapshotWindow::load()
{
    m_mode = kNew;
    m_slots = SnapshotSlots::fromConfig(m_context.config());

    auto* alignment = new ValueColumns(lstSnapShot);
    alignment->values = m_slots.count();
    lstSnapShot->setItemDelegate(alignment);
    QStringList captions = m_slots.columnCaptions();
    lstSnapShot->setColumnCount(int(captions.size()));
    lstSnapShot->setHeaderLabels(captions);
    QTreeWidgetItem* header = lstSnapShot->headerItem();
    for (int p = 0; p < m_slots.count(); ++p) {
        lblSnapValue[p]->setText(m_slots.label(p));
        header->setData(p + 1, kKeyRole, QStringLiteral("KEY%1").arg(p + 2));
        header->setTextAlignment(p + 1, Qt::AlignRight | Qt::AlignVCenter);
        txtSnapShot[p]->setMaxLength(m_slots.isNumeric(p) ? 32767 : SnapshotSlots::kTextLength);
        if (m_slots.isNumeric(p))
            txtSnapShot[p]->setAlignment(Qt::AlignRight);
    }
    header->setData(m_slots.count() + 1, kKeyRole, QStringLiteral("KEY%1").arg(m_slots.lastPosition() + 3));
    for (int p = m_slots.count(); p < SnapshotSlots::kValues; ++p) {
        lblSnapValue[p]->setVisible(false);
        lblSnapValue[p]->setEnabled(false);
        txtSnapShot[p]->setVisible(false);
        txtSnapShot[p]->setEnabled(false);
    }
    reset();
    // Wide enough for "2003/05/14 10:15 PM".
    lstSnapShot->setColumnWidth(
        0, qMax(140, fontMetrics().horizontalAdvance(SnapshotEntry::takenText(QDateTime(QDate(2000, 12, 28),
                                                                                       QTime(22, 58)))) +
                         24));
    for (int p = 0; p < m_slots.count(); ++p)
        lstSnapShot->setColumnWidth(p + 1, qMax(70, fontMetrics().horizontalAdvance(m_slots.label(p)) + 24));

    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdSnapShotData(m_context.currentUser))
        return false;
    m_loaded = true;
    QList<QTreeWidgetItem*> rows;
    Recordset& rs = ds.rsSnapShotData;
    try {
        rows.reserve(rs.recordCount());
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            rows.append(makeRow(SnapshotEntry::read(rs, m_slots)));
    } catch (const DataError& error) {
        qDeleteAll(rows);
        m_context.fatalError(QStringLiteral("Unable to retrieve SnapShot Data.  "), error);
        return false;
    }
    m_filling = true;
    lstSnapShot->addTopLevelItems(rows);
    lstSnapShot->setCurrentItem(nullptr);
    lstSnapShot->clearSelection();
    m_filling = false;
    cmdEdit->setEnabled(false);
    cmdDelete->setEnabled(false);
    // The details are read from their first line, the day and time.
    dtDate->setFocus();
    return true;
}

void SnapshotWindow::reset()
{
    m_filling = true;
    const QDateTime now = QDateTime::currentDateTime();
    dtDate->setSpecialValueText(QString());
    dtDate->setDate(now.date());
    dtTime->setTime(now.time());
    txtComments->setText(QString());
    for (int p = 0; p < m_slots.count(); ++p)
        txtSnapShot[p]->setText(m_slots.resetText(p));
    m_filling = false;
    cmdSave->setEnabled(false);
    m_mode = kNew;
    m_dirty = false;
}

void SnapshotWindow::changed()
{
    if (m_filling)
        return;
    m_dirty = true;
    cmdSave->setEnabled(true);
}

QTreeWidgetItem* SnapshotWindow::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = lstSnapShot->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

qint32 SnapshotWindow::selectedId() const
{
    const QTreeWidgetItem* row = selectedRow();
    return row ? idOf(row) : 0;
}

QTreeWidgetItem* SnapshotWindow::rowOf(qint32 snapId) const
{
    const QString key = QStringLiteral("K%1").arg(snapId);
    for (int i = 0; i < lstSnapShot->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstSnapShot->topLevelItem(i);
        if (row->data(0, kKeyRole).toString() == key)
            return row;
    }
    return nullptr;
}

bool SnapshotWindow::findRecord(qint32 snapId)
{
    Recordset& rs = m_context.dataSource().rsSnapShotData;
    rs.moveFirst();
    return rs.findFirst(Criteria::equals(kSnapId, snapId));
}

void SnapshotWindow::rowSelected()
{
    if (m_filling)
        return;
    QTreeWidgetItem* row = selectedRow();
    cmdEdit->setEnabled(row != nullptr);
    cmdDelete->setEnabled(row != nullptr);
    if (!row)
        return;
    const qint32 snapId = idOf(row);
    // Changes to another snapshot than the one chosen are saved or dropped
    // first; changes to the chosen one stay in the details.
    if (m_dirty && QString::number(snapId) != m_mode) {
        const Prompt question{PromptIcon::Question, PromptButtons::YesNo, kTitle, kSaveQuestion};
        if (m_context.prompts().ask(question) == PromptAnswer::Yes)
            save();
        else
            reset();
    }
    try {
        findRecord(snapId);
    } catch (const DataError&) {
        // Edit and Delete look the row up again themselves.
    }
}

QStringList SnapshotWindow::inputTexts() const
{
    QStringList texts;
    for (int p = 0; p < m_slots.count(); ++p)
        texts << txtSnapShot[p]->text();
    return texts;
}

void SnapshotWindow::fillInputs(const SnapshotEntry& entry)
{
    m_filling = true;
    // A stored time that is no time is shown as such (the picker's lowest
    // date stands for it), not as today.
    dtDate->setSpecialValueText(entry.taken.isValid() ? QString() : kInvalidDateText);
    dtDate->setDate(entry.taken.isValid() ? entry.taken.date() : dtDate->minimumDate());
    dtTime->setTime(entry.taken.isValid() ? entry.taken.time() : QTime(0, 0));
    m_editedTaken = entry.taken;
    m_shownTaken = {dtDate->date(), dtTime->time()};
    txtComments->setText(entry.comment);
    const QStringList texts = entry.inputTexts(m_slots);
    for (int p = 0; p < m_slots.count(); ++p)
        txtSnapShot[p]->setText(texts[p]);
    m_filling = false;
}

void SnapshotWindow::editEntry()
{
    const qint32 snapId = selectedId();
    if (snapId == 0)
        return;
    try {
        if (!findRecord(snapId))
            throw DataError("the snapshot is no longer stored");
        fillInputs(SnapshotEntry::read(m_context.dataSource().rsSnapShotData, m_slots));
    } catch (const DataError& error) {
        m_context.reportError(QStringLiteral("Unable to retrieve SnapShot Data.  "), error);
        return;
    }
    m_mode = QString::number(snapId);
    m_dirty = false;
    cmdSave->setEnabled(false);
}

bool SnapshotWindow::save()
{
    const QStringList inputs = inputTexts();
    const QString problem = m_slots.validationMessage(inputs);
    if (!problem.isEmpty()) {
        m_context.prompts().ask(
            {PromptIcon::Exclamation, PromptButtons::Ok, SnapshotSlots::kValidationTitle, problem});
        return false;
    }
    const bool adding = m_mode == kNew;
    const bool timeKept = !adding && std::pair(dtDate->date(), dtTime->time()) == m_shownTaken;
    if (!adding && !timeKept && !m_editedTaken.isValid() && dtDate->date() == m_shownTaken.first) {
        // A new time needs a day to go with it.
        m_context.prompts().ask({PromptIcon::Exclamation, PromptButtons::Ok, SnapshotSlots::kValidationTitle,
                                 QStringLiteral("Please choose the Date of this SnapShot.")});
        return false;
    }
    SnapshotEntry entry =
        SnapshotEntry::fromInputs(m_slots, dtDate->date(), dtTime->time(), inputs, txtComments->text());
    // A date and time the user left alone are stored as they were, to the second.
    if (timeKept)
        entry.taken = m_editedTaken;

    OrvDataSource& ds = m_context.dataSource();
    Recordset& rs = ds.rsSnapShotData;
    try {
        // The new id and the row are stored together, with one write to the disk.
        Transaction transaction(ds);
        if (adding) {
            const std::optional<qint32> key = ds.getTableKey(QStringLiteral("SnapShot"));
            if (!key)
                return false;
            entry.snapId = *key;
            rs.addNew();
            rs.setValue(kSnapId, entry.snapId);
            entry.write(rs, m_slots);
            rs.setValue(QStringLiteral("USERNAME"), m_context.currentUser);
            rs.update();
        } else {
            entry.snapId = m_mode.toInt();
            if (!findRecord(entry.snapId))
                throw DataError("the snapshot is no longer stored");
            rs.edit();
            entry.write(rs, m_slots);
            rs.update();
        }
        transaction.commit();
        if (adding)
            rs.setBookmark(rs.lastModified());
    } catch (const DataError& error) {
        rs.cancelUpdate();
        m_context.reportError(QStringLiteral("Unable to update SnapShot Data.  "), error);
        // A row the recordset took in before the change was rolled back goes again.
        if (adding)
            ds.cmdSnapShotData(m_context.currentUser);
        return false;
    }

    QTreeWidgetItem* row = adding ? nullptr : rowOf(entry.snapId);
    if (row)
        writeRow(row, entry);
    else
        row = makeRow(entry);
    placeRow(row);
    reset();
    return true;
}

void SnapshotWindow::newEntry()
{
    if (m_dirty) {
        const Prompt question{PromptIcon::Question, PromptButtons::YesNoCancel, kTitle, kSaveQuestion};
        switch (m_context.prompts().ask(question)) {
        case PromptAnswer::Yes:
            save();
            return;
        case PromptAnswer::No:
            break;
        default:
            return;
        }
    }
    reset();
}

void SnapshotWindow::deleteEntry()
{
    if (!selectedRow())
        return;
    const Prompt question{PromptIcon::Question, PromptButtons::YesNo, kTitle, kDeleteQuestion};
    if (m_context.prompts().ask(question) == PromptAnswer::Yes)
        deleteSelected();
}

bool SnapshotWindow::deleteSelected()
{
    QTreeWidgetItem* row = selectedRow();
    if (!row)
        return false;
    Recordset& rs = m_context.dataSource().rsSnapShotData;
    try {
        if (findRecord(idOf(row)))
            rs.deleteCurrent();
    } catch (const DataError& error) {
        m_context.reportError(QStringLiteral("Unable to delete SnapShot Data.  "), error);
        return false;
    }
    m_filling = true;
    delete row;
    lstSnapShot->clearSelection();
    lstSnapShot->setCurrentItem(nullptr);
    m_filling = false;
    reset();
    cmdEdit->setEnabled(false);
    cmdDelete->setEnabled(false);
    return true;
}

void SnapshotWindow::leave()
{
    // A run that is ending closes its windows without questions.
    if (m_dirty && !m_context.shutDownRequested()) {
        const Prompt question{PromptIcon::Question, PromptButtons::YesNoCancel, kTitle, kSaveQuestion};
        switch (m_context.prompts().ask(question)) {
        case PromptAnswer::Yes:
            // What could not be stored stays on screen to be corrected.
            if (!save())
                return;
            break;
        case PromptAnswer::No:
            break;
        default:
            return;
        }
    }
    QDialog::done(QDialog::Accepted);
}

void SnapshotWindow::reject()
{
    leave();
}

void SnapshotWindow::help()
{
    HelpWindow::showContext(m_context, this, HelpCatalogue::kSnapshotContext);
}

QTreeWidgetItem* SnapshotWindow::makeRow(const SnapshotEntry& entry) const
{
    auto* row = new QTreeWidgetItem;
    row->setData(0, kKeyRole, QStringLiteral("K%1").arg(entry.snapId));
    writeRow(row, entry);
    return row;
}

void SnapshotWindow::writeRow(QTreeWidgetItem* row, const SnapshotEntry& entry) const
{
    row->setData(0, kTakenRole, entry.taken);
    const QStringList texts = entry.historyTexts(m_slots);
    for (int column = 0; column < texts.size(); ++column)
        row->setText(column, texts[column]);
}

void SnapshotWindow::placeRow(QTreeWidgetItem* row)
{
    // A stored snapshot takes its place in time order, where the next opening
    // of the window will show it; the chosen row stays chosen.
    m_filling = true;
    QTreeWidgetItem* chosen = selectedRow();
    const int current = lstSnapShot->indexOfTopLevelItem(row);
    if (current >= 0)
        lstSnapShot->takeTopLevelItem(current);
    const QDateTime taken = row->data(0, kTakenRole).toDateTime();
    const qint32 snapId = idOf(row);
    int lo = 0, hi = lstSnapShot->topLevelItemCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (before(lstSnapShot->topLevelItem(mid), taken, snapId))
            lo = mid + 1;
        else
            hi = mid;
    }
    lstSnapShot->insertTopLevelItem(lo, row);
    lstSnapShot->clearSelection();
    lstSnapShot->setCurrentItem(chosen);
    if (chosen)
        chosen->setSelected(true);
    m_filling = false;
    lstSnapShot->scrollToItem(row);
}
