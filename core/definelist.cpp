#include "definelist.h"

#include <QStringList>

QVector<DefineListItem> parseDefineList(const QString &text)
{
    QVector<DefineListItem> items;
    const QStringList parts = text.split(QLatin1Char(';'));
    items.reserve(parts.size());
    for (const QString &part : parts) {
        DefineListItem item;
        item.text = part;
        const int equals = part.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            item.hasValue = true;
            item.name = part.left(equals).trimmed();
            item.value = part.mid(equals + 1).section(QLatin1Char('='), 0, 0).trimmed();
        }
        items.append(item);
    }
    return items;
}
