// Start-up time of the program against a supply that already listens: from
// the moment the process is started (taken just before the fork) to its
// first frame, its first frame with a view and its first frame of the live
// channel list. The same program runs alternately as
//   compiled  the interface compiled ahead of time, as shipped;
//   source    the same files as plain resources, compiled at every start
//             (QML_DISABLE_DISK_CACHE=1);
//   cached    the source build with Qt's disk cache, filled by the first
//             start.
// The compiled build must never compile an interface file itself: its disk
// cache has to stay empty, which is checked and printed.
// Usage: bench_startup [starts per build (10)] [channels (4)]
#include "panel.h"
#include "supplyprocess.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <time.h>

#include <algorithm>
#include <cstdio>

namespace {

const char *const milestones[]
        = { "main", "shown", "frame", "view", "live", "cpu process", "cpu interface" };

struct Build
{
    Build(const char *name, const QString &program, const QString &cacheHome)
        : name(name), program(program), environment(QProcessEnvironment::systemEnvironment())
    {
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    }

    const char *name;
    QString program;
    QProcessEnvironment environment;
    // Milestone -> ms after the start, and "cpu process"/"cpu interface" ->
    // CPU ms until the live list, of each run.
    QMap<QString, QVector<double>> times;
    int failures = 0;
};

qint64 monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// One start; false when the program did not reach the live channel list.
bool startOnce(Build &build, bool record)
{
    QProcess program;
    program.setProcessEnvironment(build.environment);
    const qint64 started = monotonicNs();
    program.start(build.program, QStringList());
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished(5000);
    }
    QMap<QString, double> reached;
    for (const QByteArray &line : program.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 3)
            continue;
        if (fields[0] == "milestone")
            reached.insert(QString::fromLatin1(fields[1]),
                           (fields[2].toLongLong() - started) / 1e6);
        else if (fields[0] == "cpu")
            reached.insert(QString::fromLatin1("cpu " + fields[1]), fields[2].toLongLong() / 1e6);
    }
    if (!reached.contains(QStringLiteral("live")) || program.exitCode() != 0) {
        const QByteArray log = program.readAllStandardError();
        std::printf("%s: a start did not reach the live channel list (exit code %d):\n%s\n",
                    build.name, program.exitCode(), log.right(2000).constData());
        return false;
    }
    if (record) {
        for (auto it = reached.cbegin(); it != reached.cend(); ++it)
            build.times[it.key()].append(it.value());
    }
    return true;
}

void printFigures(const Build &build)
{
    for (const char *milestone : milestones) {
        QVector<double> times = build.times.value(QString::fromLatin1(milestone));
        if (times.isEmpty())
            continue;
        std::sort(times.begin(), times.end());
        const int n = times.size();
        const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
        std::printf("%-9s %-13s %8.1f %8.1f %8.1f\n", build.name, milestone, times.first(), median,
                    times.last());
    }
    if (build.failures > 0)
        std::printf("%-9s %d start(s) failed\n", build.name, build.failures);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = std::max(1, args.value(1, QStringLiteral("10")).toInt());
    const QString channels = args.value(2, QStringLiteral("4"));

    SupplyProcess supply({ QStringLiteral("--channels"), channels });
    if (!supply.start())
        return 1;
    Panel::pointSettingsAt(supply.port());

    const QString compiledCache = home.filePath(QStringLiteral("cache-compiled"));
    Build compiled("compiled", QStringLiteral(STARTUP_COMPILED), compiledCache);
    Build source("source", QStringLiteral(STARTUP_SOURCE), home.filePath(QStringLiteral("cache")));
    // Compiled from source at every start, not from a cache of an earlier one.
    source.environment.insert(QStringLiteral("QML_DISABLE_DISK_CACHE"), QStringLiteral("1"));
    Build cached("cached", QStringLiteral(STARTUP_SOURCE),
                 home.filePath(QStringLiteral("cache-cached")));
    const std::initializer_list<Build *> builds = { &compiled, &source, &cached };

    // One start of each first, not counted: the files in the page cache and
    // Qt's own caches filled, as on a panel that has started before.
    for (Build *build : builds) {
        if (!startOnce(*build, false))
            return 1;
    }
    for (int run = 0; run < runs; ++run) {
        for (Build *build : builds) {
            if (!startOnce(*build, true))
                ++build->failures;
        }
    }

    std::printf("start-up, %s channels, %d runs per build: ms after the process started, "
                "CPU ms until the live channel list\n",
                qPrintable(channels), runs);
    std::printf("%-9s %-13s %8s %8s %8s\n", "build", "step", "min", "median", "max");
    for (const Build *build : builds)
        printFigures(*build);
    int compiledHere = 0;
    for (QDirIterator it(compiledCache, { QStringLiteral("*.qmlc"), QStringLiteral("*.jsc") },
                         QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++compiledHere;
    std::printf("interface files the compiled build compiled itself (disk cache): %d%s\n",
                compiledHere, compiledHere ? " - NOT ALL AHEAD OF TIME" : "");
    return 0;
}
