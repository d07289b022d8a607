#pragma once

#include "print/printsurface.h"

#include <QList>
#include <QSizeF>
#include <functional>

// One thing done to a RecordingSurface.
struct PrintOp
{
    enum class Kind { Text, Line, Picture, NewPage, EndDoc, KillDoc };
    Kind kind = Kind::Text;
    int page = 1;
    // Text and picture: the top left corner; line: the first point.
    double x = 0;
    double y = 0;
    // Line: the second point; picture: the width and height.
    double x2 = 0;
    double y2 = 0;
    QString text;  // the text written; for a picture the image's "key" text
    FontSpec font; // the font of a text
};

// A print surface that lays nothing out on paper but records what was asked
// of it, with simple exact metrics: a character is size x 10 twips wide (100
// at size 10) and a line size x 20 twips high, bold or not.
class RecordingSurface : public PrintSurface
{
public:
    // pageSize: the page in portrait orientation; A4 unless given.
    explicit RecordingSurface(QSizeF pageSize = QSizeF(11906, 16838));

    int paperSize() const override { return m_paperSize; }
    void setPaperSize(int code) override { m_paperSize = code; }
    int orientation() const override { return m_orientation; }
    void setOrientation(int orientation) override { m_orientation = orientation; }
    double scaleWidth() const override;
    double scaleHeight() const override;
    FontSpec font() const override { return m_font; }
    void setFont(const FontSpec& font) override { m_font = font; }
    double textWidth(const QString& text) const override;
    double textHeight(const QString& text) const override;
    void line(double x1, double y1, double x2, double y2) override;
    void paintPicture(const QImage& picture, double x, double y, double w, double h) override;
    void endDoc() override;
    void killDoc() override;
    int page() const override { return m_page; }

    QList<PrintOp> ops;
    // Called with every operation before it is recorded; a test throws a
    // PrintError from it to make the output fail there.
    std::function<void(const PrintOp&)> beforeOp;

    // The texts written, in order: all of them, or those of one page.
    QList<PrintOp> texts(int page = 0) const;
    QStringList textStrings(int page = 0) const;
    int pageCount() const { return m_page; }
    bool ended() const { return m_ended; }
    bool killed() const { return m_killed; }

protected:
    void drawText(double x, double y, const QString& text) override;
    void startNewPage() override;

private:
    void record(PrintOp op);

    QSizeF m_pageSize;
    int m_paperSize = kA4;
    int m_orientation = kPortrait;
    FontSpec m_font;
    int m_page = 1;
    bool m_ended = false;
    bool m_killed = false;
};
