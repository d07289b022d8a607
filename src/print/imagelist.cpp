#include "print/imagelist.h"

#include <QPixmap>

void ImageList::add(const QString& key, const QImage& image)
{
    QImage scaled = image.size() == QSize(m_width, m_height)
                        ? image
                        : image.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setText(QStringLiteral("key"), key);
    m_images.insert(key, scaled);
    m_icons.remove(key);
}

QIcon ImageList::icon(const QString& key) const
{
    auto it = m_icons.find(key);
    if (it == m_icons.end()) {
        const QImage picture = m_images.value(key);
        it = m_icons.insert(key, picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture)));
    }
    return *it;
}
