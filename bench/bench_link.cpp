// Cost of one item update through the link, the cache and the root
// screen's broadcast: a four-channel batch of 40 items handed to the real
// Connection.handleMessage, as it arrives from the supply.
#include "itembatch.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QGuiApplication app(argc, argv);
    Panel::prepareApplication();
    // Nothing listens on this port: the link never leaves its retry loop,
    // and the benchmark feeds it by hand.
    Panel::pointSettingsAt(SupplyProcess::freePort());

    QQmlEngine engine;
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/main.qml")));
    QObject *root = component.create();
    if (!root) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    QObject *link = nullptr;
    for (QObject *child : root->children()) {
        if (child->metaObject()->indexOfMethod("handleMessage(QVariant)") >= 0)
            link = child;
    }
    if (!link)
        return 1;
    link->setProperty("comState", QStringLiteral("connected"));

    QSignalSpy updates(root, SIGNAL(stateUpdated(QString)));

    const int rounds = argc > 1 ? atoi(argv[1]) : 2000;
    QStringList texts;
    for (int i = 0; i < 16; ++i)
        texts << batch(i);
    for (int i = 0; i < 200; ++i) // warm up and fill the histories
        QMetaObject::invokeMethod(link, "handleMessage", Q_ARG(QVariant, texts[i % 16]));
    updates.clear();

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        QMetaObject::invokeMethod(link, "handleMessage", Q_ARG(QVariant, texts[i % 16]));
    const double seconds = timer.nsecsElapsed() / 1e9;
    const long items = long(rounds) * 40;
    std::printf("link: %d batches of 40 items, %d stateUpdated\n", rounds, int(updates.count()));
    std::printf("link: %.2f us per item, %.0f items/s, %.1f us per 40-item batch\n",
                seconds * 1e6 / items, items / seconds, seconds * 1e6 / rounds);
    return updates.count() == items ? 0 : 1;
}
