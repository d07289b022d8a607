#include "app/windowsettings.h"

#include <QSettings>
#include <cmath>

namespace {

const QString kGroup = QStringLiteral("Settings");
const QString kLeft = QStringLiteral("MainLeft");
const QString kTop = QStringLiteral("MainTop");
const QString kWidth = QStringLiteral("MainWidth");
const QString kHeight = QStringLiteral("MainHeight");

float readTwips(const QSettings& settings, const QString& key, float fallback)
{
    bool ok = false;
    const float value = settings.value(key).toString().trimmed().toFloat(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

} // namespace

WindowSettings::WindowSettings()
    : m_own(std::make_unique<QSettings>()),
      m_settings(m_own.get())
{
}

WindowSettings::WindowSettings(QSettings& settings) : m_settings(&settings) {}

WindowSettings::~WindowSettings() = default;

WindowPlacement WindowSettings::read() const
{
    const WindowPlacement defaults;
    WindowPlacement placement;
    m_settings->beginGroup(kGroup);
    placement.left = readTwips(*m_settings, kLeft, defaults.left);
    placement.top = readTwips(*m_settings, kTop, defaults.top);
    placement.width = readTwips(*m_settings, kWidth, defaults.width);
    placement.height = readTwips(*m_settings, kHeight, defaults.height);
    m_settings->endGroup();
    return placement;
}

void WindowSettings::write(const WindowPlacement& placement)
{
    m_settings->beginGroup(kGroup);
    m_settings->setValue(kLeft, QString::number(placement.left));
    m_settings->setValue(kTop, QString::number(placement.top));
    m_settings->setValue(kWidth, QString::number(placement.width));
    m_settings->setValue(kHeight, QString::number(placement.height));
    m_settings->endGroup();
    m_settings->sync();
}

int WindowSettings::twipsToPixels(double twips, double dpi)
{
    return int(std::lround(twips * dpi / kTwipsPerInch));
}

double WindowSettings::pixelsToTwips(int pixels, double dpi)
{
    return dpi > 0 ? pixels * kTwipsPerInch / dpi : 0.0;
}

QRect WindowSettings::toPixels(const WindowPlacement& placement, double dpiX, double dpiY)
{
    return QRect(twipsToPixels(placement.left, dpiX), twipsToPixels(placement.top, dpiY),
                 twipsToPixels(placement.width, dpiX), twipsToPixels(placement.height, dpiY));
}

WindowPlacement WindowSettings::fromPixels(const QRect& rect, double dpiX, double dpiY)
{
    return {float(pixelsToTwips(rect.left(), dpiX)), float(pixelsToTwips(rect.top(), dpiY)),
            float(pixelsToTwips(rect.width(), dpiX)), float(pixelsToTwips(rect.height(), dpiY))};
}
