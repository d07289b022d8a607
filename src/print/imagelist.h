#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>

// The pictures of a list's rows, found by image key, all of one size in
// pixels: the list shows them as icons and the list printer draws them.
class ImageList
{
public:
    explicit ImageList(int width = 16, int height = 16) : m_width(width), m_height(height) {}

    // Adds a picture under key, scaled to the list's size. The picture keeps
    // its key as its "key" text.
    void add(const QString& key, const QImage& image);
    bool contains(const QString& key) const { return m_images.contains(key); }
    QImage image(const QString& key) const { return m_images.value(key); }
    // The same picture as an icon (made once).
    QIcon icon(const QString& key) const;

    int imageWidth() const { return m_width; }
    int imageHeight() const { return m_height; }

private:
    int m_width;
    int m_height;
    QHash<QString, QImage> m_images;
    mutable QHash<QString, QIcon> m_icons;
};
