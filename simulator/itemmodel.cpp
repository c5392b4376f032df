#include "itemmodel.h"

#include <QDateTime>

#include <utility>

void ItemModel::define(const QString &path, const QString &item, const QString &value,
                       const QString &unit)
{
    m_items[path][item] = ItemValue { value, unit, now() };
}

bool ItemModel::contains(const QString &path, const QString &item) const
{
    const auto it = m_items.constFind(path);
    return it != m_items.constEnd() && it->contains(item);
}

ItemValue ItemModel::item(const QString &path, const QString &item) const
{
    return m_items.value(path).value(item);
}

QString ItemModel::value(const QString &path, const QString &item) const
{
    return m_items.value(path).value(item).value;
}

double ItemModel::number(const QString &path, const QString &item) const
{
    return value(path, item).toDouble();
}

QString ItemModel::unit(const QString &path, const QString &item) const
{
    return m_items.value(path).value(item).unit;
}

void ItemModel::set(const QString &path, const QString &item, const QString &value)
{
    auto pathIt = m_items.find(path);
    if (pathIt == m_items.end())
        return;
    auto it = pathIt->find(item);
    if (it == pathIt->end() || it->value == value)
        return;
    it->value = value;
    it->time = now();
    markChanged(path, item);
}

void ItemModel::touch(const QString &path, const QString &item)
{
    if (!contains(path, item))
        return;
    m_items[path][item].time = now();
    markChanged(path, item);
}

static bool levelMatches(const QString &pattern, const QString &level)
{
    return pattern == QLatin1String("*") || pattern == level;
}

QVector<ItemKey> ItemModel::match(const QString &line, const QString &address,
                                  const QString &channel, const QString &item) const
{
    // Same rule as the client's path building: a channel only counts after
    // an address, an address only after a line.
    QStringList pattern;
    if (!line.isEmpty()) {
        pattern << line;
        if (!address.isEmpty()) {
            pattern << address;
            if (!channel.isEmpty())
                pattern << channel;
        }
    } else if (!address.isEmpty() || !channel.isEmpty()) {
        return {};
    }

    QVector<ItemKey> result;
    for (auto it = m_items.constBegin(); it != m_items.constEnd(); ++it) {
        if (!it->contains(item))
            continue;
        const QStringList levels
                = it.key().isEmpty() ? QStringList() : it.key().split(QLatin1Char('.'));
        if (levels.size() != pattern.size())
            continue;
        bool matches = true;
        for (int i = 0; i < levels.size() && matches; ++i)
            matches = levelMatches(pattern.at(i), levels.at(i));
        if (matches)
            result.append(ItemKey { it.key(), item });
    }
    return result;
}

QVector<ItemKey> ItemModel::takeChanges()
{
    m_changed.clear();
    return std::exchange(m_changes, {});
}

double ItemModel::now()
{
    return QDateTime::currentMSecsSinceEpoch() / 1000.0;
}

void ItemModel::markChanged(const QString &path, const QString &item)
{
    const QString key = path + QLatin1Char('_') + item;
    if (m_changed.contains(key))
        return;
    m_changed.insert(key);
    m_changes.append(ItemKey { path, item });
}
