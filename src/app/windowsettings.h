#pragma once

#include <QRect>
#include <QString>
#include <memory>

class QSettings;

// Where the main window sits, in twips (1440 to the inch).
struct WindowPlacement
{
    float left = 1000;
    float top = 1000;
    float width = 6500;
    float height = 6500;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The main window's position and size in the per-user settings store
// (organisation and application "Foodlark", group "Settings"): the only values
// the program keeps outside its database. They are stored as text and read as
// single-precision numbers; a missing or unreadable value gives its default.
class WindowSettings
{
public:
    // The user's own settings store of the program (organisation and
    // application names as the program sets them at start-up: "Foodlark").
    WindowSettings();
    // Another store (a file of the tests, for example); not owned.
    explicit WindowSettings(QSettings& settings);
    ~WindowSettings();
    WindowSettings(const WindowSettings&) = delete;
    WindowSettings& operator=(const WindowSettings&) = delete;

    WindowPlacement read() const;
    void write(const WindowPlacement& placement);

    // pixels = twips x logical DPI / 1440, to the nearest pixel.
    static int twipsToPixels(double twips, double dpi);
    static double pixelsToTwips(int pixels, double dpi);
    // Horizontal values scale with dpiX, vertical ones with dpiY.
    static QRect toPixels(const WindowPlacement& placement, double dpiX, double dpiY);
    static WindowPlacement fromPixels(const QRect& rect, double dpiX, double dpiY);

    static constexpr double kTwipsPerInch = 1440.0;

private:
    std::unique_ptr<QSettings> m_own;
    QSettings* m_settings;
};
