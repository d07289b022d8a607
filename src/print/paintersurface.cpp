#include "print/paintersurface.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerMillimetre = 1440.0 / 25.4;
// Lines are half a point wide.
constexpr double kLineTwips = 10.0;

QPageLayout::Orientation qtOrientation(int orientation)
{
    return orientation == PrintSurface::kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QPageSize pageSizeOf(int code)
{
    const QPageSize size(QPageSize::id(code));
    if (!size.isValid() || size.id() == QPageSize::Custom)
        throw PrintError(380, QStringLiteral("Invalid property value (paper size %1).").arg(code));
    return size;
}

} // namespace

PainterSurface::PainterSurface(QPagedPaintDevice& device) : m_device(device)
{
    // Positions count from the paper's corner; the callers keep their own margins.
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const QPageLayout layout = device.pageLayout();
    const int code = layout.pageSize().windowsId();
    m_paperSize = code > 0 ? code : kA4;
    m_orientation = layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
    m_qfont.setFamily(m_font.name);
    m_qfont.setPointSizeF(m_font.size);
}

PainterSurface::~PainterSurface()
{
    if (m_painter.isActive())
        m_painter.end();
}

void PainterSurface::setPaperSize(int code)
{
    const QPageSize size = pageSizeOf(code);
    if (!m_device.setPageSize(size))
        throw PrintError(380, QStringLiteral("Invalid property value (paper size %1).").arg(code));
    m_paperSize = code;
}

void PainterSurface::setOrientation(int orientation)
{
    if (orientation != kPortrait && orientation != kLandscape)
        throw PrintError(380, QStringLiteral("Invalid property value (orientation %1).").arg(orientation));
    m_device.setPageOrientation(qtOrientation(orientation));
    m_orientation = orientation;
}

QSizeF PainterSurface::pageSizeTwips() const
{
    return m_device.pageLayout().fullRect(QPageLayout::Millimeter).size() * kTwipsPerMillimetre;
}

double PainterSurface::scaleWidth() const
{
    return pageSizeTwips().width();
}

double PainterSurface::scaleHeight() const
{
    return pageSizeTwips().height();
}

double PainterSurface::dpiX() const
{
    return m_device.logicalDpiX();
}

double PainterSurface::dpiY() const
{
    return m_device.logicalDpiY();
}

QPointF PainterSurface::toDevice(double x, double y) const
{
    return {x * dpiX() / kTwipsPerInch, y * dpiY() / kTwipsPerInch};
}

void PainterSurface::setFont(const FontSpec& font)
{
    m_font = font;
    m_qfont = QFont(font.name);
    m_qfont.setPointSizeF(font.size > 0 ? font.size : 1);
    m_qfont.setBold(font.bold);
    m_qfont.setItalic(font.italic);
    m_qfont.setUnderline(font.underline);
    m_qfont.setStrikeOut(font.strikethrough);
    if (m_painter.isActive())
        m_painter.setFont(m_qfont);
}

double PainterSurface::textWidth(const QString& text) const
{
    return QFontMetricsF(m_qfont, &m_device).horizontalAdvance(text) * kTwipsPerInch / dpiX();
}

double PainterSurface::textHeight(const QString&) const
{
    return QFontMetricsF(m_qfont, &m_device).height() * kTwipsPerInch / dpiY();
}

void PainterSurface::start()
{
    if (m_started)
        return;
    if (m_done)
        throw PrintError(PrintError::kPrinterFault, QStringLiteral("The document has already ended."));
    if (!m_painter.begin(&m_device))
        throw PrintError(startFailureNumber, startFailure);
    m_started = true;
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.setPen(QPen(Qt::black, kLineTwips * dpiX() / kTwipsPerInch));
    m_painter.setFont(m_qfont);
}

void PainterSurface::drawText(double x, double y, const QString& text)
{
    start();
    const QPointF topLeft = toDevice(x, y);
    const QFontMetricsF metrics(m_qfont, &m_device);
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

void PainterSurface::line(double x1, double y1, double x2, double y2)
{
    start();
    m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
}

void PainterSurface::paintPicture(const QImage& picture, double x, double y, double w, double h)
{
    start();
    m_painter.drawImage(QRectF(toDevice(x, y), toDevice(x + w, y + h)), picture);
}

void PainterSurface::checkOutput() const
{
    if (!outputFailure)
        return;
    if (const QString failure = outputFailure(); !failure.isEmpty())
        throw PrintError(PrintError::kFileAccess, failure);
}

void PainterSurface::startNewPage()
{
    start();
    // Pages that could not be written are not followed by more.
    checkOutput();
    if (!m_device.newPage())
        throw PrintError(PrintError::kPrinterFault,
                         QStringLiteral("The printer could not start a new page."));
    m_painter.setFont(m_qfont);
    ++m_page;
}

void PainterSurface::endDoc()
{
    start();
    m_done = true;
    m_started = false;
    if (!m_painter.end())
        throw PrintError(startFailureNumber, startFailure);
    checkOutput();
}

void PainterSurface::killDoc()
{
    m_done = true;
    m_started = false;
    if (onCancel)
        onCancel();
    if (m_painter.isActive())
        m_painter.end();
}
