#include "print/recordingsurface.h"

#include <QStringList>

RecordingSurface::RecordingSurface(QSizeF pageSize) : m_pageSize(pageSize) {}

double RecordingSurface::scaleWidth() const
{
    return m_orientation == kLandscape ? m_pageSize.height() : m_pageSize.width();
}

double RecordingSurface::scaleHeight() const
{
    return m_orientation == kLandscape ? m_pageSize.width() : m_pageSize.height();
}

double RecordingSurface::textWidth(const QString& text) const
{
    return text.size() * m_font.size * 10;
}

double RecordingSurface::textHeight(const QString&) const
{
    return m_font.size * 20;
}

void RecordingSurface::record(PrintOp op)
{
    op.page = m_page;
    if (beforeOp)
        beforeOp(op);
    ops.append(op);
}

void RecordingSurface::drawText(double x, double y, const QString& text)
{
    PrintOp op;
    op.kind = PrintOp::Kind::Text;
    op.x = x;
    op.y = y;
    op.text = text;
    op.font = m_font;
    record(op);
}

void RecordingSurface::line(double x1, double y1, double x2, double y2)
{
    record({PrintOp::Kind::Line, 0, x1, y1, x2, y2, {}, {}});
}

void RecordingSurface::paintPicture(const QImage& picture, double x, double y, double w, double h)
{
    record({PrintOp::Kind::Picture, 0, x, y, w, h, picture.text(QStringLiteral("key")), {}});
}

void RecordingSurface::startNewPage()
{
    record({PrintOp::Kind::NewPage, 0, 0, 0, 0, 0, {}, {}});
    ++m_page;
}

void RecordingSurface::endDoc()
{
    record({PrintOp::Kind::EndDoc, 0, 0, 0, 0, 0, {}, {}});
    m_ended = true;
}

void RecordingSurface::killDoc()
{
    // Cancelling is what the engine does after a failure: it must not fail itself.
    ops.append({PrintOp::Kind::KillDoc, m_page, 0, 0, 0, 0, {}, {}});
    m_killed = true;
}

QList<PrintOp> RecordingSurface::texts(int page) const
{
    QList<PrintOp> result;
    for (const PrintOp& op : ops) {
        if (op.kind == PrintOp::Kind::Text && (page == 0 || op.page == page))
            result.append(op);
    }
    return result;
}

QStringList RecordingSurface::textStrings(int page) const
{
    QStringList result;
    for (const PrintOp& op : texts(page))
        result.append(op.text);
    return result;
}
