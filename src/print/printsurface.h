#pragma once

#include <QImage>
#include <QString>
#include <stdexcept>

// A font as the print engine keeps it: a copy of the attributes, never a
// reference to somebody's font object.
struct FontSpec
{
    QString name = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    bool operator==(const FontSpec&) const = default;
};

// A failure of the output: the number and description shown to the user.
class PrintError : public std::runtime_error
{
public:
    PrintError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number(number), description(description)
    {
    }
    int number;
    QString description;

    // The numbers the program uses.
    static constexpr int kPrinterFault = 482; // the device refused the output
    static constexpr int kFileAccess = 75;    // a file could not be written
    static constexpr int kNotSet = 91;        // the list or its pictures were not given
};

// The printer as the list printer sees it: a current position, a page of a
// known size, text measured and written in the current font, lines, pictures,
// pages and the end or cancelling of the document. Every position and size is
// in twips (1440 to the inch, 567 to the centimetre), measured from the
// page's top left corner.
//
// Operations that fail throw PrintError.
class PrintSurface
{
public:
    virtual ~PrintSurface() = default;

    // Paper size codes (9 is A4, 1 is Letter) and orientation (1 portrait,
    // 2 landscape); they apply to the pages started after the change.
    static constexpr int kPortrait = 1;
    static constexpr int kLandscape = 2;
    static constexpr int kA4 = 9;
    virtual int paperSize() const = 0;
    virtual void setPaperSize(int code) = 0;
    virtual int orientation() const = 0;
    virtual void setOrientation(int orientation) = 0;

    double currentX() const { return m_x; }
    double currentY() const { return m_y; }
    void setCurrentX(double x) { m_x = x; }
    void setCurrentY(double y) { m_y = y; }

    // The size of the page.
    virtual double scaleWidth() const = 0;
    virtual double scaleHeight() const = 0;

    virtual FontSpec font() const = 0;
    virtual void setFont(const FontSpec& font) = 0;
    virtual double textWidth(const QString& text) const = 0;
    virtual double textHeight(const QString& text) const = 0;

    // Writes text with its top left corner at the current position, then
    // moves the position to the start of the next line.
    void print(const QString& text)
    {
        drawText(m_x, m_y, text);
        m_x = 0;
        m_y += textHeight(text);
    }
    // A line between two points.
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    // A picture stretched over the rectangle at (x, y) of width w, height h.
    virtual void paintPicture(const QImage& picture, double x, double y, double w, double h) = 0;

    // Ends the page and starts the next at position (0, 0).
    void newPage()
    {
        startNewPage();
        m_x = 0;
        m_y = 0;
    }
    // Sends the document to its output.
    virtual void endDoc() = 0;
    // Drops the document: what was laid out so far is not output.
    virtual void killDoc() = 0;
    // The number of the page being laid out, from 1.
    virtual int page() const = 0;

protected:
    virtual void drawText(double x, double y, const QString& text) = 0;
    virtual void startNewPage() = 0;

private:
    double m_x = 0;
    double m_y = 0;
};
