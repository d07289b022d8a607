#pragma once

#include "print/cprintlistview.h"
#include "print/imagelist.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>

// A list for the list printer: rows 300 twips high, 15 twips to a pixel, and
// a picture "meal" that rows may show.
struct PrintTestList
{
    QStandardItemModel model;
    QItemSelectionModel selection{&model};
    PrintableList list;
    ImageList images;

    explicit PrintTestList(const QStringList& headers = {"Name"}, const QVector<double>& widths = {2000})
    {
        model.setHorizontalHeaderLabels(headers);
        list.model = &model;
        list.selection = &selection;
        list.columnWidths = widths;
        list.rowHeight = 300;
        list.twipsPerPixelX = list.twipsPerPixelY = 15;
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::red);
        images.add("meal", picture);
    }
    void addRow(const QStringList& cells, bool bold = false, const QString& image = {})
    {
        QList<QStandardItem*> items;
        for (const QString& cell : cells)
            items.append(new QStandardItem(cell));
        items[0]->setData(bold, PrintableList::BoldRole);
        items[0]->setData(image, PrintableList::ImageKeyRole);
        model.appendRow(items);
    }
    void addRows(int count)
    {
        for (int i = 0; i < count; ++i)
            addRow({QString("row %1").arg(i)});
    }
    // Sets a printer up for the list, with 1 cm margins and a centred 14 pt bold title.
    void setUp(CPrintListView& printer, const QString& title = "TITLE")
    {
        printer.setControl(list);
        printer.imageList = &images;
        printer.page.setMargins(1);
        printer.title.text = title;
        printer.title.font = FontSpec{"Times New Roman", 14, true};
        printer.title.alignment = CText::kCentre;
    }
};
