#include "report/snapshotcolumns.h"

#include "app/configstore.h"

SnapshotColumns SnapshotColumns::fromConfig(ConfigStore& config)
{
    SnapshotColumns columns;
    for (int n = 1; n <= 8; ++n) {
        const QString label = ConfigStore::trimSpaces(config.getConfig(QStringLiteral("SNAPSHOT%1").arg(n)));
        if (label.isEmpty())
            continue;
        columns.labels.append(label);
        columns.fields.append(n);
    }
    return columns;
}
