// Long run of the real root screen against the virtual supply, to show
// whether memory, timers or connections grow while the panel just runs.
// Usage: bench_soak [list|osci (list)] [minutes (10)] [sample every s (60)]
//                   [cycle ms (50)] [channels (4)]
// "osci" switches every channel on and opens the oscilloscope first.
// Every sample prints CPU per wall second since the last one, RSS and the
// counts a leak would drive up; the end prints the RSS slope after the
// first minute.
#include "measure.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJSValue>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <private/qhooks_p.h>
#include <private/qv4engine_p.h>
#include <private/qv4mm_p.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <vector>

// Every QObject in the process, also those no tree holds (a leak candidate).
static std::atomic<int> liveObjects { 0 };

static void objectAdded(QObject *)
{
    ++liveObjects;
}

static void objectRemoved(QObject *)
{
    --liveObjects;
}

// QObject::receivers() is protected; reading it from outside needs a subclass.
class Receivers : public QObject
{
public:
    static int of(const QObject *sender, const QMetaMethod &signal)
    {
        const QByteArray code = "2" + signal.methodSignature();
        return static_cast<const Receivers *>(sender)->receivers(code.constData());
    }
};

// Objects reachable through QObject children and, for items, child items.
static void collect(QObject *object, QSet<QObject *> &seen)
{
    if (!object || seen.contains(object))
        return;
    seen.insert(object);
    for (QObject *child : object->children())
        collect(child, seen);
    if (auto *item = qobject_cast<QQuickItem *>(object)) {
        for (QQuickItem *child : item->childItems())
            collect(child, seen);
    }
}

struct Sample
{
    double minutes = 0;
    double cpu = 0;
    double interfaceCpu = 0;
    double rss = 0;
    double heap = 0;
    double jsHeap = 0;
    int objects = 0;
    int underRoot = 0;
    int timers = 0;
    int qmlTimers = 0;
    int runningTimers = 0;
    int stateReceivers = 0;
    int subscriptions = 0;
    int otherReceivers = 0;
};

static Sample takeSample(Panel &panel)
{
    Sample sample;
    sample.rss = statusMiB("VmRSS:");
    sample.heap = mallinfo2().uordblks / 1048576.0;
    QV4::MemoryManager *mm = panel.view().engine()->handle()->memoryManager;
    sample.jsHeap = (mm->getUsedMem() + mm->getLargeItemsMem()) / 1048576.0;
    sample.objects = liveObjects;

    QSet<QObject *> underRoot;
    collect(panel.root(), underRoot);
    sample.underRoot = underRoot.size();
    QSet<QObject *> all = underRoot;
    collect(&panel.view(), all);
    collect(panel.view().engine(), all);
    for (QObject *object : qAsConst(all)) {
        if (auto *timer = qobject_cast<QTimer *>(object)) {
            ++sample.timers;
            sample.runningTimers += timer->isActive();
        } else if (object->inherits("QQmlTimer")) {
            ++sample.qmlTimers;
            sample.runningTimers += object->property("running").toBool();
        }
    }

    const QMetaObject *meta = panel.root()->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal)
            continue;
        if (method.name() == "stateUpdated")
            sample.stateReceivers += Receivers::of(panel.root(), method);
        else
            sample.otherReceivers += Receivers::of(panel.root(), method);
    }
    sample.subscriptions = panel.root()
                                   ->property("subscriptions")
                                   .value<QJSValue>()
                                   .property(QStringLiteral("length"))
                                   .toInt();
    return sample;
}

// CPU shares are left out where there is no interval before the sample.
static void printSample(const Sample &s, bool withCpu = true)
{
    if (withCpu)
        std::printf("%6.1f %6.2f %6.2f", s.minutes, s.cpu * 100, s.interfaceCpu * 100);
    else
        std::printf("%6.1f %6s %6s", s.minutes, "-", "-");
    std::printf(" %8.1f %8.1f %7.2f %8d %7d %6d %6d %6d %7d %6d %6d\n", s.rss, s.heap, s.jsHeap,
                s.objects, s.underRoot, s.timers, s.qmlTimers, s.runningTimers, s.stateReceivers,
                s.subscriptions, s.otherReceivers);
    std::fflush(stdout);
}

int main(int argc, char *argv[])
{
    qtHookData[QHooks::AddQObject] = reinterpret_cast<quintptr>(&objectAdded);
    qtHookData[QHooks::RemoveQObject] = reinterpret_cast<quintptr>(&objectRemoved);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString screen = args.value(1, QStringLiteral("list"));
    const double minutes = args.value(2, QStringLiteral("10")).toDouble();
    const int every = args.value(3, QStringLiteral("60")).toInt();
    const int cycle = args.value(4, QStringLiteral("50")).toInt();
    const QString channels = args.value(5, QStringLiteral("4"));
    if ((screen != QLatin1String("list") && screen != QLatin1String("osci")) || minutes <= 0
        || every <= 0) {
        std::fprintf(stderr,
                     "usage: bench_soak [list|osci] [minutes] [sample every s] [cycle ms] "
                     "[channels]\n");
        return 2;
    }

    Panel::prepareApplication();
    SupplyProcess supply({ QStringLiteral("--channels"), channels });
    if (!supply.start())
        return 1;
    Panel panel(supply.port());
    if (!QTest::qWaitFor([&] { return panel.property("numberOfChannels").toInt() > 0; }, 10000))
        return 1;
    panel.command(QStringLiteral("ChangeCycleTime"), { { "cycleTime", cycle } });
    if (screen == QLatin1String("osci")) {
        switchChannelsOn(panel);
        QTest::qWait(1000);
        panel.command(QStringLiteral("openOsci"));
    }
    QTest::qWait(3000);

    std::printf("soak: %s channels, cycle %d ms, view %s, %.1f min, a sample every %d s\n",
                qPrintable(channels), cycle, qPrintable(panel.property("currentView").toString()),
                minutes, every);
    std::printf("   min  cpu %%   ui %%  RSS MiB heap MiB  JS MiB QObjects in-root QTimer  Timer "
                "active stateUpd subscr  other\n");
    QElapsedTimer wall;
    wall.start();
    std::vector<Sample> samples { takeSample(panel) };
    printSample(samples.back(), false);
    double cpuBefore = cpuSeconds(RUSAGE_SELF);
    double interfaceBefore = cpuSeconds(RUSAGE_THREAD);
    qint64 before = wall.elapsed();
    const qint64 end = qint64(minutes * 60000);
    while (wall.elapsed() < end) {
        Panel::run(int(qMin<qint64>(every * 1000, end - wall.elapsed())));
        const qint64 now = wall.elapsed();
        const double seconds = (now - before) / 1000.0;
        const double cpu = cpuSeconds(RUSAGE_SELF);
        const double interface = cpuSeconds(RUSAGE_THREAD);
        Sample sample = takeSample(panel);
        sample.minutes = now / 60000.0;
        sample.cpu = (cpu - cpuBefore) / seconds;
        sample.interfaceCpu = (interface - interfaceBefore) / seconds;
        samples.push_back(sample);
        printSample(sample);
        cpuBefore = cpu;
        interfaceBefore = interface;
        before = now;
    }

    // Least squares over the samples from the first minute on.
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    const Sample *first = nullptr;
    for (const Sample &s : samples) {
        if (s.minutes < 1 - 1e-3)
            continue;
        first = first ? first : &s;
        n += 1;
        sx += s.minutes;
        sy += s.rss;
        sxx += s.minutes * s.minutes;
        sxy += s.minutes * s.rss;
    }
    const Sample &last = samples.back();
    if (n >= 2 && sxx * n != sx * sx) {
        const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        std::printf("RSS after the first minute: slope %.3f MiB per minute, %.1f -> %.1f MiB "
                    "(%+.2f MiB from minute %.1f to %.1f)\n",
                    slope, first->rss, last.rss, last.rss - first->rss, first->minutes,
                    last.minutes);
    } else {
        std::printf("RSS slope: run longer than two samples past the first minute\n");
    }

    // What the script heap holds once garbage is gone, against the last sample.
    panel.view().engine()->collectGarbage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Sample collected = takeSample(panel);
    collected.minutes = wall.elapsed() / 60000.0;
    std::printf("after a garbage collection:\n");
    printSample(collected, false);
    return 0;
}
