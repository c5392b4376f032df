// Linked into the program's own main() for bench_startup: writes on
// standard output when start-up reaches each milestone, in nanoseconds of
// the system's monotonic clock (the one the benchmark started the process
// by), and quits once the live channel list is drawn.
//   main    the application object is made (reported from its constructor)
//   shown   the window is shown, its root screen created
//   frame   the first frame is drawn
//   view    the first frame with a view
//   live    the first frame of the channel list with every row showing
//           values the supply sent
// and then the CPU time spent until then (whole process and interface
// thread), which a busy machine stretches less than the wall time.
#include <QCoreApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QTimer>
#include <QVariant>

#include <time.h>

#include <cstdio>

namespace {

void print(const char *kind, const char *name, clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    std::printf("%s %s %lld\n", kind, name, now.tv_sec * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
}

void report(const char *milestone)
{
    print("milestone", milestone, CLOCK_MONOTONIC);
}

// What one row of the channel list shows.
const char *const rowItems[]
        = { "Status.voltageMeasure", "Control.voltageSet", "Status.currentMeasure",
            "Control.currentSet", "Status.runningState" };

class Probe : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *view = qobject_cast<QQuickView *>(watched);
        if (!view || event->type() != QEvent::Show)
            return false;
        // The window is shown after its root screen is made and before it
        // draws. The software scene graph draws on this thread, so the state
        // read at each swap is the state drawn; a render thread's swap is
        // read here a little later.
        report("shown");
        m_view = view;
        connect(view, &QQuickWindow::frameSwapped, this, &Probe::frameSwapped);
        qApp->removeEventFilter(this);
        return false;
    }

private:
    void frameSwapped()
    {
        if (!m_framed) {
            m_framed = true;
            report("frame");
        }
        QObject *root = m_view->rootObject();
        const QString view = root ? root->property("currentView").toString() : QString();
        if (view.isEmpty())
            return;
        if (!m_viewed) {
            m_viewed = true;
            report("view");
        }
        if (view == QLatin1String("Channellist") && rowsAreLive(root)) {
            report("live");
            print("cpu", "process", CLOCK_PROCESS_CPUTIME_ID);
            print("cpu", "interface", CLOCK_THREAD_CPUTIME_ID);
            disconnect(m_view, nullptr, this, nullptr);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

    static bool rowsAreLive(QObject *root)
    {
        const int channels = root->property("numberOfChannels").toInt();
        const QObject *list = root->findChild<QObject *>(QStringLiteral("channelList"));
        if (channels <= 0 || !list || list->property("count").toInt() != channels)
            return false;
        for (int i = 0; i < channels; ++i) {
            for (const char *item : rowItems) {
                QVariant current;
                QMetaObject::invokeMethod(root, "isItemCurrent", Q_RETURN_ARG(QVariant, current),
                                          Q_ARG(QVariant, QStringLiteral("0.0.%1").arg(i)),
                                          Q_ARG(QVariant, QString::fromLatin1(item)));
                if (!current.toBool())
                    return false;
            }
        }
        return true;
    }

    QQuickView *m_view = nullptr;
    bool m_framed = false;
    bool m_viewed = false;
};

void startProbe()
{
    report("main");
    qApp->installEventFilter(new Probe(qApp));
    // A start that never reaches the live list is reported by its absence.
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)
