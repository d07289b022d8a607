#include "widgets/icons.h"

#include <QHash>

namespace {

QIcon cached(QHash<QString, QIcon>& cache, const QString& folder, const QString& key)
{
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QIcon(QStringLiteral(":/icons/%1/%2.png").arg(folder, key)));
    return *it;
}

} // namespace

namespace Icons {

QIcon tree(const QString& key)
{
    static QHash<QString, QIcon> cache;
    return cached(cache, QStringLiteral("tree"), key);
}

QIcon toolbar(const QString& key)
{
    static QHash<QString, QIcon> cache;
    return cached(cache, QStringLiteral("toolbar"), key);
}

} // namespace Icons
