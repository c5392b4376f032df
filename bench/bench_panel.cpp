// CPU use and peak memory of the real root screen connected to the virtual
// supply, on the view the program opens (or the one a command opens).
// Usage: bench_panel [cycle ms (250)] [seconds (20)] [channels (4)] [command]
#include "panel.h"
#include "supplyprocess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <cstdio>

static double cpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of the interface thread alone (the rest is mostly rendering).
static double mainThreadSeconds()
{
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

static double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
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
    if (!command.isEmpty())
        panel.command(command);
    QTest::qWait(3000);

    const double cpuBefore = cpuSeconds();
    const double mainBefore = mainThreadSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const double share = (cpuSeconds() - cpuBefore) / elapsed;
    const double mainShare = (mainThreadSeconds() - mainBefore) / elapsed;
    std::printf("panel: %s channels, cycle %d ms, view %s: %.4f CPU s per s (%.2f %% of a core, "
                "%.2f %% on the interface thread), peak RSS %.1f MiB\n",
                qPrintable(channels), cycle, qPrintable(panel.property("currentView").toString()),
                share, share * 100, mainShare * 100, peakMiB());
    return 0;
}
