// Cost of one state update fanned out to every subscriber of the channel
// list: the cache stores the value and announces it, and the view, its rows,
// badges, bars and wheel each test and read what concerns them. Timed from
// the cache, and from the link with the measured values of four channels
// in one frame, as a running supply sends them every cycle.
// Usage: bench_fanout [updates (20000)]
#include "itembatch.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

static double microsecondsPerUpdate(QObject *cache, const QString &path, const QString &item,
                                    int updates)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < updates; ++i) {
        const QString value = QString::number(100 + (i % 50) * 0.001, 'f', 3);
        QMetaObject::invokeMethod(cache, "addItem", Q_ARG(QVariant, path), Q_ARG(QVariant, item),
                                  Q_ARG(QVariant, value), Q_ARG(QVariant, QStringLiteral("V")),
                                  Q_ARG(QVariant, QString::number(i)));
    }
    return timer.nsecsElapsed() / 1e3 / updates;
}

static double microsecondsPerLinkItem(QObject *link, int updates)
{
    const QStringList items
            = { QStringLiteral("Status.voltageMeasure"), QStringLiteral("Status.currentMeasure") };
    QStringList frames;
    for (int i = 0; i < 16; ++i)
        frames << batch(i, items);
    const int rounds = updates / (4 * items.size());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        QMetaObject::invokeMethod(link, "handleMessage", Q_ARG(QVariant, frames[i % 16]));
    return timer.nsecsElapsed() / 1e3 / (rounds * 4 * items.size());
}

// Subscribers of the root screen's updates, and how many of them one
// identifier reaches.
static std::pair<int, int> subscribers(QObject *root, const QString &identifier)
{
    const QJSValue list = root->property("subscriptions").value<QJSValue>();
    const int all = list.property(QStringLiteral("length")).toInt();
    int reached = 0;
    for (int i = 0; i < all; ++i)
        reached += identifier.contains(
                list.property(quint32(i)).property(QStringLiteral("key")).toString());
    return { all, reached };
}

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    const int updates = app.arguments().value(1, QStringLiteral("20000")).toInt();

    Panel::prepareApplication();
    // Nobody answers on this port: only the updates below reach the screen.
    Panel panel(SupplyProcess::freePort());
    panel.root()->setProperty("numberOfChannels", 4);
    panel.root()->setProperty("connected", true);
    panel.command(QStringLiteral("openChannelList"));
    QObject *cache = panel.child("addItem");
    if (!cache || panel.property("currentView").toString() != QLatin1String("Channellist"))
        return 1;
    QTest::qWait(500);

    // Warm-up, then the figures.
    microsecondsPerUpdate(cache, QStringLiteral("0.0.1"), QStringLiteral("Status.voltageMeasure"),
                          500);
    const double channel = microsecondsPerUpdate(cache, QStringLiteral("0.0.1"),
                                                 QStringLiteral("Status.voltageMeasure"), updates);
    const double device = microsecondsPerUpdate(cache, QStringLiteral("0.0"),
                                                QStringLiteral("Status.temperature"), updates);
    QObject *link = panel.child("handleMessage");
    if (!link)
        return 1;
    link->setProperty("comState", QStringLiteral("connected"));
    microsecondsPerLinkItem(link, 800);
    const double linked = microsecondsPerLinkItem(link, updates);
    const auto [all, reached]
            = subscribers(panel.root(), QStringLiteral("0.0.1_Status.voltageMeasure"));
    std::printf("fan-out on the channel list: %.1f us per channel item update, %.1f us per device "
                "item update (%d updates each, from the cache); %.1f us per channel item from "
                "the link; %d subscribers, %d reached by one channel item\n",
                channel, device, updates, linked, all, reached);
    return 0;
}
