#include "devicefiles.h"
#include "buttonworker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_ButtonWorker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pressAndRelease_data();
    void pressAndRelease();
    void missingGpioIsExported();
    void exportedKeyIsFelt();
    void unreadableKeyStaysSilent();
    void stopEndsThreadPromptly();

private:
    void startWorker();
    static void setValue(int gpio, const QByteArray &value);

    const QString m_root = QStringLiteral(ZANDOR_DEVICE_ROOT);
    QScopedPointer<ButtonWorker> m_worker;
    QStringList m_events;
};

static const QList<int> allGpios = { 168, 176, 167, 171, 165, 164, 163, 162, 40, 6 };

static QString gpioDir(int gpio)
{
    return QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/gpio/gpio%1").arg(gpio);
}

void tst_ButtonWorker::init()
{
    QDir(m_root).removeRecursively();
    QVERIFY(QDir().mkpath(m_root + QLatin1String("/sys/class/gpio")));
    writeFile(m_root + QLatin1String("/sys/class/gpio/export"), QByteArray());
    for (int gpio : allGpios) {
        QVERIFY(QDir().mkpath(gpioDir(gpio)));
        writeFile(gpioDir(gpio) + QLatin1String("/value"), "1\n");
    }
    m_events.clear();
}

void tst_ButtonWorker::cleanup()
{
    m_worker.reset();
    QDir(m_root).removeRecursively();
}

void tst_ButtonWorker::startWorker()
{
    m_worker.reset(new ButtonWorker);
    connect(m_worker.data(), &ButtonWorker::buttonPressed, this,
            [this](const QString &id) { m_events.append(QLatin1String("pressed ") + id); });
    connect(m_worker.data(), &ButtonWorker::buttonReleased, this,
            [this](const QString &id) { m_events.append(QLatin1String("released ") + id); });
    m_worker->start();
}

// Rewrites the value in place, as the driver does: the open handle stays valid.
void tst_ButtonWorker::setValue(int gpio, const QByteArray &value)
{
    QFile file(gpioDir(gpio) + QLatin1String("/value"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.write(value);
}

void tst_ButtonWorker::pressAndRelease_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("gpio");

    QTest::newRow("bb_bt1") << "bb_bt1" << 168;
    QTest::newRow("bb_bt2") << "bb_bt2" << 176;
    QTest::newRow("bb_bt3") << "bb_bt3" << 167;
    QTest::newRow("bb_bt4") << "bb_bt4" << 171;
    QTest::newRow("ch_bt0") << "ch_bt0" << 165;
    QTest::newRow("ch_bt1") << "ch_bt1" << 164;
    QTest::newRow("ch_bt2") << "ch_bt2" << 163;
    QTest::newRow("ch_bt3") << "ch_bt3" << 162;
    QTest::newRow("rt_bt") << "rt_bt" << 40;
    QTest::newRow("home_bt") << "home_bt" << 6;
}

void tst_ButtonWorker::pressAndRelease()
{
    QFETCH(QString, key);
    QFETCH(int, gpio);

    startWorker();
    setValue(gpio, "0");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList { "pressed " + key }, 1000);
    // Held over several polls: still one press.
    QTest::qWait(200);
    QCOMPARE(m_events, QStringList { "pressed " + key });
    setValue(gpio, "1");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList({ "pressed " + key, "released " + key }), 1000);
    QTest::qWait(150);
    QCOMPARE(m_events.size(), 2);
}

void tst_ButtonWorker::missingGpioIsExported()
{
    QDir(gpioDir(40)).removeRecursively();
    startWorker();
    const QString exportFile = m_root + QLatin1String("/sys/class/gpio/export");
    QTRY_COMPARE_WITH_TIMEOUT(readFile(exportFile), QByteArray("40"), 1000);

    // Still missing after the export: that key is dead, the others work.
    setValue(6, "0");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList { "pressed home_bt" }, 1000);
}

// Whether a thread of this process waits in opening a file.
static bool threadWaitsInOpen()
{
    const QStringList tasks
            = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        const QByteArray call = readFile(QStringLiteral("/proc/self/task/%1/syscall").arg(task));
        if (call.startsWith("257 ") || call.startsWith("2 "))
            return true;
    }
    return false;
}

// As with the kernel, the line's value file appears only once the line is
// exported: the worker must open it again then, and feel the key.
void tst_ButtonWorker::exportedKeyIsFelt()
{
    QDir(gpioDir(40)).removeRecursively();
    const QByteArray exportFile
            = QFile::encodeName(m_root + QLatin1String("/sys/class/gpio/export"));
    QVERIFY(QFile::remove(QFile::decodeName(exportFile)));
    QCOMPARE(mkfifo(exportFile.constData(), 0600), 0);

    // The worker waits in opening the export until it is read here.
    startWorker();
    QTRY_VERIFY_WITH_TIMEOUT(threadWaitsInOpen(), 2000);
    QVERIFY(QDir().mkpath(gpioDir(40)));
    writeFile(gpioDir(40) + QLatin1String("/value"), "1\n");
    const int exported = ::open(exportFile.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(exported >= 0);
    QByteArray written;
    char buffer[16];
    ssize_t n;
    while ((n = ::read(exported, buffer, sizeof buffer)) > 0)
        written.append(buffer, int(n));
    ::close(exported);
    QCOMPARE(written, QByteArray("40"));

    setValue(40, "0");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList { "pressed rt_bt" }, 1000);
    setValue(40, "1");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList({ "pressed rt_bt", "released rt_bt" }), 1000);
}

void tst_ButtonWorker::unreadableKeyStaysSilent()
{
    // A directory opens but cannot be read; without an export file the
    // missing line cannot even be exported.
    const QString bbBt1 = gpioDir(168) + QLatin1String("/value");
    QVERIFY(QFile::remove(bbBt1));
    QVERIFY(QDir().mkpath(bbBt1));
    QDir(gpioDir(176)).removeRecursively();
    QVERIFY(QFile::remove(m_root + QLatin1String("/sys/class/gpio/export")));

    startWorker();
    setValue(167, "0");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList { "pressed bb_bt3" }, 1000);
    setValue(167, "1");
    QTRY_COMPARE_WITH_TIMEOUT(m_events, QStringList({ "pressed bb_bt3", "released bb_bt3" }), 1000);
    QVERIFY(!QFile::exists(m_root + QLatin1String("/sys/class/gpio/export")));
}

void tst_ButtonWorker::stopEndsThreadPromptly()
{
    startWorker();
    QTRY_VERIFY(m_worker->isRunning());
    QElapsedTimer timer;
    timer.start();
    m_worker->stop();
    QVERIFY(m_worker->isFinished());
    QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));

    // No polling after the stop.
    setValue(168, "0");
    QTest::qWait(150);
    QVERIFY(m_events.isEmpty());
}

QTEST_GUILESS_MAIN(tst_ButtonWorker)

#include "tst_buttonworker.moc"
