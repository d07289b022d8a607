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

PainterSurface::PainterSurface(QPagedPaintDevice& device) : m_device(&device)
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

PainterSurface::PainterSurface(int imageDpi) : m_imageDpi(qMax(1, imageDpi))
{
    m_measureImage = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = qRound(m_imageDpi / 0.0254);
    m_measureImage->setDotsPerMeterX(dotsPerMetre);
    m_measureImage->setDotsPerMeterY(dotsPerMetre);
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
    if (m_device && !m_device->setPageSize(size))
        throw PrintError(380, QStringLiteral("Invalid property value (paper size %1).").arg(code));
    m_paperSize = code;
}

void PainterSurface::setOrientation(int orientation)
{
    if (orientation != kPortrait && orientation != kLandscape)
        throw PrintError(380, QStringLiteral("Invalid property value (orientation %1).").arg(orientation));
    if (m_device)
        m_device->setPageOrientation(qtOrientation(orientation));
    m_orientation = orientation;
}

QSizeF PainterSurface::pageSizeTwips() const
{
    if (m_device) {
        const QRectF page = m_device->pageLayout().fullRect(QPageLayout::Millimeter);
        return page.size() * kTwipsPerMillimetre;
    }
    QSizeF size = pageSizeOf(m_paperSize).size(QPageSize::Millimeter) * kTwipsPerMillimetre;
    if (m_orientation == kLandscape)
        size.transpose();
    return size;
}

double PainterSurface::scaleWidth() const
{
    return pageSizeTwips().width();
}

double PainterSurface::scaleHeight() const
{
    return pageSizeTwips().height();
}

QPaintDevice* PainterSurface::measuringDevice() const
{
    if (m_device)
        return m_device;
    return m_images.empty() ? m_measureImage.get() : m_images.back().get();
}

double PainterSurface::dpiX() const
{
    return m_device ? m_device->logicalDpiX() : m_imageDpi;
}

double PainterSurface::dpiY() const
{
    return m_device ? m_device->logicalDpiY() : m_imageDpi;
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
    return QFontMetricsF(m_qfont, measuringDevice()).horizontalAdvance(text) * kTwipsPerInch / dpiX();
}

double PainterSurface::textHeight(const QString&) const
{
    return QFontMetricsF(m_qfont, measuringDevice()).height() * kTwipsPerInch / dpiY();
}

void PainterSurface::startImagePage()
{
    const QSizeF twips = pageSizeTwips();
    auto image =
        std::make_unique<QImage>(qCeil(twips.width() * m_imageDpi / kTwipsPerInch),
                                 qCeil(twips.height() * m_imageDpi / kTwipsPerInch), QImage::Format_RGB32);
    image->setDotsPerMeterX(m_measureImage->dotsPerMeterX());
    image->setDotsPerMeterY(m_measureImage->dotsPerMeterY());
    image->fill(Qt::white);
    m_images.push_back(std::move(image));
    m_painter.begin(m_images.back().get());
}

void PainterSurface::start()
{
    if (m_started)
        return;
    if (m_done)
        throw PrintError(PrintError::kPrinterFault, QStringLiteral("The document has already ended."));
    if (m_device) {
        if (!m_painter.begin(m_device))
            throw PrintError(startFailureNumber, startFailure);
    } else {
        startImagePage();
    }
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
    const QFontMetricsF metrics(m_qfont, measuringDevice());
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

void PainterSurface::startNewPage()
{
    start();
    if (m_device) {
        if (!m_device->newPage())
            throw PrintError(PrintError::kPrinterFault,
                             QStringLiteral("The printer could not start a new page."));
    } else {
        m_painter.end();
        startImagePage();
        m_painter.setPen(QPen(Qt::black, kLineTwips * dpiX() / kTwipsPerInch));
    }
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
}

void PainterSurface::killDoc()
{
    m_done = true;
    m_started = false;
    if (onCancel)
        onCancel();
    if (m_painter.isActive())
        m_painter.end();
    m_images.clear();
}

QList<QImage> PainterSurface::images() const
{
    QList<QImage> pages;
    for (const auto& image : m_images)
        pages.append(*image);
    return pages;
}
