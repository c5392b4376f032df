#pragma once

#include <QQuickItem>

// Rows of list views have no object parent: items are found by walking the
// visual tree instead.
inline void collect(QQuickItem *item, const QString &name, QList<QQuickItem *> &found)
{
    if (!item)
        return;
    if (item->objectName() == name)
        found << item;
    for (QQuickItem *child : item->childItems())
        collect(child, name, found);
}
