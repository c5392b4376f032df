#ifndef ITEMMODEL_H
#define ITEMMODEL_H

#include <QMap>
#include <QSet>
#include <QString>
#include <QVector>

struct ItemKey
{
    QString path;
    QString item;
};

struct ItemValue
{
    QString value;
    QString unit;
    double time = 0; // seconds since 1970
};

// The supply's items by device path ("" service, "0.0" device, "0.0.N"
// channel) with the set of items changed since the last push.
class ItemModel
{
public:
    void define(const QString &path, const QString &item, const QString &value,
                const QString &unit = QString());
    bool contains(const QString &path, const QString &item) const;
    ItemValue item(const QString &path, const QString &item) const;
    QString value(const QString &path, const QString &item) const;
    double number(const QString &path, const QString &item) const;
    QString unit(const QString &path, const QString &item) const;

    // Stores the value; only a different value counts as a change.
    void set(const QString &path, const QString &item, const QString &value);
    // Reports the item as changed even if its value stays the same.
    void touch(const QString &path, const QString &item);

    // Items whose path matches line/address/channel ("*" any, "" leaves the
    // level out, all empty the service itself) and whose name is item.
    QVector<ItemKey> match(const QString &line, const QString &address, const QString &channel,
                           const QString &item) const;

    QVector<ItemKey> takeChanges();

    static double now();

private:
    void markChanged(const QString &path, const QString &item);

    QMap<QString, QMap<QString, ItemValue>> m_items;
    QVector<ItemKey> m_changes;
    QSet<QString> m_changed;
};

#endif // ITEMMODEL_H
