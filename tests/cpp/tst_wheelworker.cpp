#include "wheelworker.h"

#include <QDir>
#include <QtTest>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

// A detent: microseconds since the previous event and the device value.
struct Detent
{
    qint64 gapUs;
    int value;
};
using Detents = QVector<Detent>;
using Steps = QVector<int>;
Q_DECLARE_METATYPE(Detents)

class tst_WheelWorker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void acceleration_data();
    void acceleration();
    void clockTimes_data();
    void clockTimes();
    void truncatedRecordIgnored();
    void recordSplitAcrossWrites();
    void missingDeviceEndsThread();
    void stopWakesBlockedThread();

private:
    void startWorker();
    void openWriter();
    void write(const QByteArray &bytes);
    void closeWriterAndJoin();

    const QString m_device = QStringLiteral(ZANDOR_DEVICE_ROOT "/dev/input/event1");
    QScopedPointer<WheelWorker> m_worker;
    int m_writer = -1;
    Steps m_steps;
};

// An event as the kernel writes it, built byte by byte and not through the
// struct the worker reads: seconds and microseconds in the kernel's long (4
// bytes on 32-bit ARM, a 16-byte record; 8 on 64-bit machines, 24 bytes),
// then type, code and value, little-endian. Seconds past the field's width
// are cut as the kernel cuts them.
constexpr int longBytes = QT_POINTER_SIZE;
constexpr int recordBytes = 2 * longBytes + 8;

static QByteArray record(qint64 timeUs, quint16 type, qint32 value)
{
    QByteArray bytes;
    const auto put = [&bytes](quint64 field, int size) {
        for (int i = 0; i < size; ++i)
            bytes.append(char(field >> (8 * i)));
    };
    put(quint64(timeUs / 1000000), longBytes);
    put(quint64(timeUs % 1000000), longBytes);
    put(type, 2);
    put(type == EV_REL ? REL_WHEEL : 0, 2);
    put(quint32(value), 4);
    return bytes;
}

// Each detent as a real device reports it: the relative event, then a sync.
static QByteArray records(const Detents &detents, qint64 startUs = 100000000)
{
    QByteArray bytes;
    qint64 time = startUs;
    for (const Detent &detent : detents) {
        time += detent.gapUs;
        bytes += record(time, EV_REL, detent.value);
        bytes += record(time, EV_SYN, 0);
    }
    return bytes;
}

static Detents run(int count, qint64 gapUs, int value = 1)
{
    return Detents(count, Detent { gapUs, value });
}

static Steps repeat(int count, int steps)
{
    return Steps(count, steps);
}

void tst_WheelWorker::init()
{
    const QString root = QStringLiteral(ZANDOR_DEVICE_ROOT);
    QDir(root).removeRecursively();
    QVERIFY(QDir().mkpath(root + QLatin1String("/dev/input")));
    QCOMPARE(::mkfifo(QFile::encodeName(m_device).constData(), 0600), 0);
    m_steps.clear();
}

void tst_WheelWorker::cleanup()
{
    if (m_writer >= 0)
        ::close(m_writer);
    m_writer = -1;
    m_worker.reset();
    QDir(QStringLiteral(ZANDOR_DEVICE_ROOT)).removeRecursively();
}

void tst_WheelWorker::startWorker()
{
    m_worker.reset(new WheelWorker);
    connect(m_worker.data(), &WheelWorker::wheelTurned, this,
            [this](int steps) { m_steps.append(steps); });
    m_worker->start();
}

// Succeeds once the worker holds the read end.
void tst_WheelWorker::openWriter()
{
    const QByteArray path = QFile::encodeName(m_device);
    QDeadlineTimer deadline(2000);
    while ((m_writer = ::open(path.constData(), O_WRONLY | O_NONBLOCK)) < 0
           && !deadline.hasExpired())
        QThread::msleep(5);
    QVERIFY(m_writer >= 0);
    QCOMPARE(::fcntl(m_writer, F_SETFL, 0), 0);
}

void tst_WheelWorker::write(const QByteArray &bytes)
{
    QCOMPARE(::write(m_writer, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
}

void tst_WheelWorker::closeWriterAndJoin()
{
    ::close(m_writer);
    m_writer = -1;
    QVERIFY(m_worker->wait(2000));
    QCoreApplication::processEvents();
}

void tst_WheelWorker::acceleration_data()
{
    QTest::addColumn<Detents>("detents");
    QTest::addColumn<Steps>("expected");

    const qint64 slow = 2000000;
    const qint64 fast = 100000;
    const qint64 medium = 200000;

    QTest::newRow("sign inverted")
            << Detents { { slow, 1 }, { slow, -1 }, { slow, 3 } } << Steps { -1, 1, -3 };
    QTest::newRow("fast: 10 from the 25th, 100 from the 73rd")
            << Detents { { slow, 1 } } + run(80, fast)
            << Steps { -1 } + repeat(24, -1) + repeat(48, -10) + repeat(8, -100);
    QTest::newRow("medium: 10 from the 49th") << Detents { { slow, -1 } } + run(52, medium, -1)
                                              << Steps { 1 } + repeat(48, 1) + repeat(4, 10);
    // The fast band starts below 150 ms: at 150 ms a run is medium.
    QTest::newRow("150 ms is medium") << Detents { { slow, -1 } } + run(52, 150000, -1)
                                      << Steps { 1 } + repeat(48, 1) + repeat(4, 10);
    QTest::newRow("149 ms is fast") << Detents { { slow, 1 } } + run(26, 149000)
                                    << Steps { -1 } + repeat(24, -1) + repeat(2, -10);
    QTest::newRow("reversal starts over")
            << Detents { { slow, 1 } } + run(30, fast) + run(2, fast, -1)
            << Steps { -1 } + repeat(24, -1) + repeat(6, -10) + Steps { 1, 1 };
    QTest::newRow("pause starts over")
            << Detents { { slow, 1 } } + run(30, fast) + Detents { { 300000, 1 } } + run(1, fast)
            << Steps { -1 } + repeat(24, -1) + repeat(6, -10) + Steps { -1, -1 };
    QTest::newRow("medium after a fast run keeps 10")
            << Detents { { slow, 1 } } + run(73, fast) + run(2, medium)
            << Steps { -1 } + repeat(24, -1) + repeat(48, -10) + Steps { -100, -10, -10 };
    // 100 ms apart across whole seconds is still fast.
    QTest::newRow("second boundaries") << Detents { { 950000, 1 } } + run(25, fast)
                                       << Steps { -1 } + repeat(24, -1) + Steps { -10 };
}

void tst_WheelWorker::acceleration()
{
    QFETCH(Detents, detents);
    QFETCH(Steps, expected);

    startWorker();
    openWriter();
    write(records(detents));
    closeWriterAndJoin();
    QCOMPARE(m_steps, expected);
}

void tst_WheelWorker::clockTimes_data()
{
    QTest::addColumn<qint64>("startUs");

    // Today's seconds in microseconds need more than 32 bits; on 32-bit ARM
    // the kernel's seconds field is 32 bits wide, which a signed time_t reads
    // as negative from the 2^31st second on (January 2038).
    QTest::newRow("today") << qint64(1765400000) * 1000000;
    QTest::newRow("across the 2^31st second") << (qint64(1) << 31) * 1000000 - 1250000;
    QTest::newRow("after the 2^31st second") << ((qint64(1) << 31) + 86400) * 1000000;
}

void tst_WheelWorker::clockTimes()
{
    QFETCH(qint64, startUs);

    // Fast detents over several seconds: one step each up to the 24th.
    startWorker();
    openWriter();
    write(records(Detents { { 0, 1 } } + run(30, 100000), startUs));
    closeWriterAndJoin();
    QCOMPARE(m_steps, Steps { -1 } + repeat(24, -1) + repeat(6, -10));
}

void tst_WheelWorker::truncatedRecordIgnored()
{
    startWorker();
    openWriter();
    const QByteArray bytes = records({ { 0, 2 }, { 1000000, 5 } });
    write(bytes.left(bytes.size() - recordBytes - 10));
    closeWriterAndJoin();
    QCOMPARE(m_steps, Steps { -2 });
}

void tst_WheelWorker::recordSplitAcrossWrites()
{
    startWorker();
    openWriter();
    const QByteArray bytes = records({ { 0, 2 }, { 1000000, 5 } });
    write(bytes.left(10));
    // Let the worker read the fragment on its own.
    QTest::qWait(100);
    write(bytes.mid(10));
    closeWriterAndJoin();
    QCOMPARE(m_steps, Steps({ -2, -5 }));
}

void tst_WheelWorker::missingDeviceEndsThread()
{
    QVERIFY(QFile::remove(m_device));
    startWorker();
    QVERIFY(m_worker->wait(1000));
}

void tst_WheelWorker::stopWakesBlockedThread()
{
    startWorker();
    openWriter();
    write(records({ { 0, 1 } }));
    QTRY_COMPARE(m_steps, Steps { -1 });
    QVERIFY(m_worker->isRunning());
    m_worker->stop();
    QVERIFY(m_worker->isFinished());
}

QTEST_GUILESS_MAIN(tst_WheelWorker)

#include "tst_wheelworker.moc"
