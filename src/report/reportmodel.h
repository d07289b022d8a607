#pragma once

#include <QAbstractTableModel>
#include <QFont>

class ImageList;
class ReportTable;

// A report's rows for a list view and the list printer: the cells' texts,
// bold rows, the rows' pictures (in the first column) and the columns'
// titles and alignments. The rows are read from the report when shown, so a
// report of a hundred thousand rows costs no more than the rows on screen.
class ReportModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ReportModel(const ReportTable& report, const ImageList* images = nullptr,
                         QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Tells the views that the report's rows or columns changed.
    void reload();

private:
    const ReportTable& m_report;
    const ImageList* m_images;
    QFont m_bold;
};
