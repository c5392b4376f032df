// CPU use and peak memory of the real root screen connected to the virtual
// supply, on the view the program opens (or the one a command opens).
// Usage: bench_panel [cycle ms (250)] [seconds (20)] [channels (4)] [command]
// With "openOsci" every channel is switched on first, and the cost of one
// sampling tick with full channel buffers is timed after the run.
#include "measure.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJSValue>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

static QObject *findItem(QObject *root, const QString &name)
{
    if (root->objectName() == name)
        return root;
    if (auto *item = qobject_cast<QQuickItem *>(root)) {
        for (QQuickItem *child : item->childItems()) {
            if (QObject *found = findItem(child, name))
                return found;
        }
    }
    return nullptr;
}

static void callEach(const QJSValue &channels, const char *method, const QJSValueList &args = {})
{
    const int n = channels.property(QStringLiteral("length")).toInt();
    for (int i = 0; i < n; ++i) {
        QJSValue channel = channels.property(quint32(i));
        channel.property(QString::fromLatin1(method)).callWithInstance(channel, args);
    }
}

// Microseconds of one sampling tick of the oscilloscope plot, each tick on
// channel buffers trimmed back to their size (500 samples).
static double tickMicroseconds(Panel &panel, int ticks)
{
    QObject *plot = findItem(panel.root(), QStringLiteral("osci"));
    if (!plot)
        return -1;
    plot->setProperty("isRunning", false);
    // No window jump (and so no refresh) during the timed ticks.
    plot->setProperty("xMax", QDateTime::currentMSecsSinceEpoch() + 3600 * 1000.0);
    const QJSValue channels = plot->property("channels").value<QJSValue>();
    const int size = plot->property("bufferSize").toInt();
    QJSValue record = panel.view().engine()->newArray(3);
    record.setProperty(0, QStringLiteral("t"));
    record.setProperty(2, QStringLiteral("V"));
    const double now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < size; ++i) {
        record.setProperty(1, QString::number(100 + i % 50));
        callEach(channels, "addPoint", { record, now - (size - i) * 100.0 });
    }
    qint64 spent = 0;
    QElapsedTimer timer;
    for (int i = 0; i < ticks; ++i) {
        callEach(channels, "clearPoints");
        callEach(channels, "calcNormalizedValues");
        timer.start();
        QMetaObject::invokeMethod(plot, "tick");
        spent += timer.nsecsElapsed();
        // Let the chart draw what it got, as between real ticks.
        QCoreApplication::processEvents();
    }
    return spent / 1e3 / ticks;
}

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int cycle = args.value(1, QStringLiteral("250")).toInt();
    const int seconds = args.value(2, QStringLiteral("20")).toInt();
    const QString channels = args.value(3, QStringLiteral("4"));
    const QString command = args.value(4);

    Panel::prepareApplication();
    SupplyProcess supply({ QStringLiteral("--channels"), channels });
    if (!supply.start())
        return 1;
    Panel panel(supply.port());
    if (!QTest::qWaitFor([&] { return panel.property("numberOfChannels").toInt() > 0; }, 10000))
        return 1;
    // The program sets its own cycle at login; this is what the oscilloscope does.
    panel.command(QStringLiteral("ChangeCycleTime"), { { "cycleTime", cycle } });
    const bool osci = command == QLatin1String("openOsci");
    if (osci) {
        switchChannelsOn(panel);
        QTest::qWait(1000);
    }
    if (!command.isEmpty())
        panel.command(command);
    QTest::qWait(3000);

    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double mainBefore = cpuSeconds(RUSAGE_THREAD);
    QElapsedTimer wall;
    int frames = 0;
    QObject::connect(&panel.view(), &QQuickWindow::frameSwapped, [&frames] { ++frames; });
    wall.start();
    Panel::run(seconds * 1000);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const double share = (cpuSeconds(RUSAGE_SELF) - cpuBefore) / elapsed;
    const double mainShare = (cpuSeconds(RUSAGE_THREAD) - mainBefore) / elapsed;
    const bool software
            = panel.view().rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
    std::printf(
            "panel (%s): %s channels, cycle %d ms, view %s: %.4f CPU s per s (%.2f %% of a core, "
            "%.2f %% on the interface thread), %.1f frames per s, peak RSS %.1f MiB\n",
            software ? "software" : "OpenGL", qPrintable(channels), cycle,
            qPrintable(panel.property("currentView").toString()), share, share * 100,
            mainShare * 100, frames / elapsed, statusMiB("VmHWM:"));
    if (osci) {
        const double tick = tickMicroseconds(panel, 200);
        std::printf("oscilloscope: one sampling tick with %s channels of 500 samples: %.0f us\n",
                    qPrintable(channels), tick);
    }
    return 0;
}
