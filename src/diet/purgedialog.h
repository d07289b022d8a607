#pragma once

#include "diet/purgerange.h"

#include <QDialog>
#include <optional>

class AppContext;
class QDateEdit;
class QLabel;
class QPushButton;

// frmPurgeData: chooses the days of a purge and confirms it. purgeResult() is
// "OK" once the user has confirmed, "CANCEL" when the dialog was left any
// other way.
class PurgeDialog : public QDialog
{
    Q_OBJECT

public:
    // purgeType names the data in the caption, the instruction and the
    // confirmation: "Diet" or "Snapshot".
    PurgeDialog(AppContext& context, const QString& purgeType, QWidget* parent = nullptr);

    // Shows the dialog modally and returns the confirmed days, nothing when
    // the user did not confirm.
    static std::optional<PurgeRange> chooseRange(AppContext& context, const QString& purgeType,
                                                 QWidget* parent);

    QString purgeResult() const { return m_purgeResult; }
    PurgeRange range() const;

    QDateEdit* dtLoDate = nullptr;
    QDateEdit* dtHighDate = nullptr;
    QLabel* lblPurge = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void done(int result) override;

private:
    void confirm();

    AppContext& m_context;
    QString m_purgeType;
    QString m_purgeResult;
};
