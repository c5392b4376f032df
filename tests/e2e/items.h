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

// The first item with this name inside the list row of the channel (a row
// has `chIndex`), or anywhere when no channel is given.
inline QQuickItem *inRow(QQuickItem *root, const QString &channel, const QString &name)
{
    QList<QQuickItem *> found;
    collect(root, name, found);
    for (QQuickItem *item : found) {
        if (channel.isEmpty())
            return item;
        for (QQuickItem *up = item->parentItem(); up; up = up->parentItem()) {
            if (up->property("chIndex").isValid()) {
                if (up->property("cID").toString() == channel)
                    return item;
                break;
            }
        }
    }
    return nullptr;
}
