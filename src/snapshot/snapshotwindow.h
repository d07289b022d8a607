#pragma once

#include "snapshot/snapshotentry.h"
#include "snapshot/snapshotslots.h"

#include <QDialog>
#include <array>
#include <utility>

class AppContext;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class QTreeWidgetItem;

// frmSnapshot, "Physical SnapShot": the current user's snapshots in time order
// and the details of one being entered or changed. The main window makes a
// fresh one each time and shows it modally.
//
// The details hold either a new snapshot (mode "NEW") or the one Edit loaded
// (mode = its SnapId), and Save stores them there. Selecting a history row
// only chooses the row Edit and Delete act on; they always act on that row,
// found by its id, wherever earlier saves left the recordset.
class SnapshotWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SnapshotWindow(AppContext& context, QWidget* parent = nullptr);
    ~SnapshotWindow() override;

    // Sets up the inputs for the user's labels and fills the history. False
    // when the snapshots could not be read (the run is then ending).
    bool load();

    const SnapshotSlots& valueSlots() const { return m_slots; }
    // "NEW", or the SnapId of the snapshot the details hold.
    QString mode() const { return m_mode; }
    bool isDirty() const { return m_dirty; }
    // The history row of a snapshot, nullptr when there is none.
    QTreeWidgetItem* rowOf(qint32 snapId) const;

    // The buttons' work. save() is false when nothing was stored.
    bool save();
    void newEntry();
    void editEntry();
    void deleteEntry();
    // Delete without the question.
    bool deleteSelected();
    void leave();
    void help();

    QTreeWidget* lstSnapShot = nullptr;
    std::array<QLabel*, SnapshotSlots::kValues> lblSnapValue{};
    std::array<QLineEdit*, SnapshotSlots::kValues> txtSnapShot{};
    QLineEdit* txtComments = nullptr;
    QDateEdit* dtDate = nullptr;
    QTimeEdit* dtTime = nullptr;
    QGroupBox* frmSnapshot = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdReport = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdDone = nullptr;

    static const QString kTitle;
    static const QString kSaveQuestion;
    static const QString kDeleteQuestion;

public slots:
    // Esc and the close box leave as Done does.
    void reject() override;

signals:
    // The Report button: whoever opened the window runs the snapshot report
    // over it.
    void reportRequested();

private:
    void buildControls();
    void reset();
    void changed();
    void rowSelected();
    QTreeWidgetItem* selectedRow() const;
    qint32 selectedId() const;
    bool findRecord(qint32 snapId);
    QStringList inputTexts() const;
    void fillInputs(const SnapshotEntry& entry);
    QTreeWidgetItem* makeRow(const SnapshotEntry& entry) const;
    void writeRow(QTreeWidgetItem* row, const SnapshotEntry& entry) const;
    void placeRow(QTreeWidgetItem* row);

    AppContext& m_context;
    SnapshotSlots m_slots;
    QString m_mode = QStringLiteral("NEW");
    bool m_dirty = false;
    // The time of the snapshot Edit loaded, as stored and as the pickers showed it.
    QDateTime m_editedTaken;
    std::pair<QDate, QTime> m_shownTaken;
    bool m_filling = false; // inputs or list changed by the window, not by the user
    bool m_loaded = false;
};
