#include "report/reportmodel.h"

#include "print/imagelist.h"
#include "print/printablelist.h"
#include "report/reporttable.h"

ReportModel::ReportModel(const ReportTable& report, const ImageList* images, QObject* parent)
    : QAbstractTableModel(parent), m_report(report), m_images(images)
{
    m_bold.setBold(true);
}

int ReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_report.rowCount();
}

int ReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_report.columnCount();
}

QVariant ReportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_report.rowCount() || index.column() >= m_report.columnCount())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return m_report.text(row, index.column());
    case Qt::FontRole:
        return m_report.isBold(row) ? QVariant(m_bold) : QVariant();
    case Qt::TextAlignmentRole:
        return int(m_report.alignment(index.column()) | Qt::AlignVCenter);
    case Qt::DecorationRole:
        if (index.column() == 0 && m_images) {
            const QString key = m_report.imageKey(row);
            if (!key.isEmpty())
                return m_images->icon(key);
        }
        return {};
    case PrintableList::ImageKeyRole:
        return m_report.imageKey(row);
    case PrintableList::BoldRole:
        return m_report.isBold(row);
    default:
        return {};
    }
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_report.columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_report.headerText(section);
    if (role == Qt::TextAlignmentRole)
        return int(m_report.alignment(section) | Qt::AlignVCenter);
    return {};
}

void ReportModel::reload()
{
    beginResetModel();
    endResetModel();
}
