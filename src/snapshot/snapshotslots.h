#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

class ConfigStore;

// Which snapshot values the current user keeps and where the snapshot window
// shows them. There are eight values; 1 to 6 hold numbers, 7 and 8 short texts.
// A value whose label (SNAPSHOT1..SNAPSHOT8) is blank does not exist for the
// user: the values with a label take the input positions 0, 1, ... in value
// order, and the history list has one column per position.
class SnapshotSlots
{
public:
    static constexpr int kValues = 8;
    // The longest text value and comment a snapshot stores.
    static constexpr int kTextLength = 15;
    static constexpr int kCommentLength = 199;

    // labels[i] is the label of value i + 1.
    explicit SnapshotSlots(const std::array<QString, kValues>& labels);
    // The labels of the configuration items SNAPSHOT1 to SNAPSHOT8.
    static SnapshotSlots fromConfig(ConfigStore& config);

    int count() const { return int(m_numbers.size()); }
    // The highest position in use; -1 when no value has a label.
    int lastPosition() const { return count() - 1; }
    // The value number (1..8) shown at a position, and its label.
    int valueNumber(int position) const { return m_numbers.at(position); }
    QString label(int position) const { return m_labels.at(m_numbers.at(position) - 1); }
    bool isNumeric(int position) const { return isNumericValue(valueNumber(position)); }
    static bool isNumericValue(int valueNumber) { return valueNumber < 7; }
    // The table column of a value number: "SNAPVAL1" ... "SNAPVAL8".
    static QString column(int valueNumber);
    QString columnOf(int position) const { return m_columns.at(position); }

    // What an input holds when a new snapshot starts: "0.00" for a number, a
    // single blank for a text.
    QString resetText(int position) const;
    // The captions of the history list: "Date", the label of each position, "Comments".
    QStringList columnCaptions() const;

    // Whether the history shows a number in full: at most kShownDigits digits
    // before the point and as many after it (1e308 has 309).
    static constexpr int kShownDigits = 15;
    static bool showsInFull(double value);

    // The labels of the positions whose input is neither blank nor a number
    // shown in full, in position order (inputs holds one text per position).
    QStringList failingLabels(const QStringList& inputs) const;
    // The message that names them, or "" when every input is acceptable.
    QString validationMessage(const QStringList& inputs) const;
    static const QString kValidationTitle;

private:
    std::array<QString, kValues> m_labels;
    QVector<int> m_numbers; // value number by position
    QStringList m_columns;  // table column by position
};
