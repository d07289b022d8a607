#pragma once

#include "print/printsurface.h"

#include <QFont>
#include <QPainter>
#include <functional>

class QPagedPaintDevice;

// A print surface that draws with QPainter on a paged device (a printer, a
// PDF file). The paper's corner is the origin: the device's margins are set
// to none.
class PainterSurface : public PrintSurface
{
public:
    explicit PainterSurface(QPagedPaintDevice& device);
    ~PainterSurface() override;
    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    int paperSize() const override { return m_paperSize; }
    void setPaperSize(int code) override;
    int orientation() const override { return m_orientation; }
    void setOrientation(int orientation) override;
    double scaleWidth() const override;
    double scaleHeight() const override;
    FontSpec font() const override { return m_font; }
    void setFont(const FontSpec& font) override;
    double textWidth(const QString& text) const override;
    double textHeight(const QString& text) const override;
    void line(double x1, double y1, double x2, double y2) override;
    void paintPicture(const QImage& picture, double x, double y, double w, double h) override;
    void endDoc() override;
    void killDoc() override;
    int page() const override { return m_page; }

    // The description of the failure when the device cannot start the
    // document (for a file: which file could not be written).
    QString startFailure = QStringLiteral("The printer could not start the document.");
    int startFailureNumber = PrintError::kPrinterFault;
    // Run when the document is cancelled (a printer drops its job).
    std::function<void()> onCancel;
    // For a file: why its writes failed so far, "" while none did. A failure
    // ends the document at the next page, or at its end, in these words.
    std::function<QString()> outputFailure;

protected:
    void drawText(double x, double y, const QString& text) override;
    void startNewPage() override;

private:
    void start();
    void checkOutput() const;
    QSizeF pageSizeTwips() const;
    double dpiX() const;
    double dpiY() const;
    QPointF toDevice(double x, double y) const;

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    FontSpec m_font;
    QFont m_qfont;
    int m_paperSize = kA4;
    int m_orientation = kPortrait;
    int m_page = 1;
    bool m_started = false;
    bool m_done = false;
};
