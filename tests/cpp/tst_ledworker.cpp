#include "devicefiles.h"
#include "ledworker.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>

class tst_LedWorker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void setLedState_data();
    void setLedState();
    void missingLedFileFails();
    void firstBlinkStartsWithOff();
    void onWhileBlinking();
    void blinkOnOtherLedOnlyRunsTimer();
    void phaseKeptAcrossStops();
    void repeatedBlinkKeepsBlinking();

private:
    QTimer *blinkTimer() const { return m_worker->findChild<QTimer *>(); }

    const QString m_root = QStringLiteral(ZANDOR_DEVICE_ROOT);
    QScopedPointer<LedWorker> m_worker;
};

static const QStringList devices = {
    "LED_HV0_YELLOW",   "LED_HV1_YELLOW",   "LED_HV2_YELLOW",   "LED_HV3_YELLOW",
    "LED_OK0_GREEN",    "LED_OK1_GREEN",    "LED_OK2_GREEN",    "LED_OK3_GREEN",
    "LED_POL0_POS_NEG", "LED_POL1_POS_NEG", "LED_POL2_POS_NEG", "LED_POL3_POS_NEG",
};

// Every LED file starts with this, so that any write shows.
static const QByteArray untouched = "x";

static QString brightness(const QString &device)
{
    return QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/leds/") + device
            + QLatin1String("/brightness");
}

// The devices whose file no longer holds the initial content.
static QStringList changedDevices()
{
    QStringList changed;
    for (const QString &device : devices) {
        if (readFile(brightness(device)) != untouched)
            changed.append(device);
    }
    return changed;
}

void tst_LedWorker::init()
{
    QDir(m_root).removeRecursively();
    for (const QString &device : devices)
        writeFile(brightness(device), untouched);
    m_worker.reset(new LedWorker);
    QVERIFY(blinkTimer());
}

void tst_LedWorker::cleanup()
{
    m_worker.reset();
    QDir(m_root).removeRecursively();
}

void tst_LedWorker::setLedState_data()
{
    QTest::addColumn<QString>("ledId");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("ch0_on on") << "ch0_on" << int(LedWorker::ON) << true << "LED_HV0_YELLOW"
                               << QByteArray("1");
    QTest::newRow("ch3_on off") << "ch3_on" << int(LedWorker::OFF) << true << "LED_HV3_YELLOW"
                                << QByteArray("0");
    QTest::newRow("ch1_ok on") << "ch1_ok" << int(LedWorker::ON) << true << "LED_OK1_GREEN"
                               << QByteArray("1");
    QTest::newRow("ch3_ok off") << "ch3_ok" << int(LedWorker::OFF) << true << "LED_OK3_GREEN"
                                << QByteArray("0");
    QTest::newRow("ch0_pol on") << "ch0_pol" << int(LedWorker::ON) << true << "LED_POL0_POS_NEG"
                                << QByteArray("1");
    QTest::newRow("ch2_pol off") << "ch2_pol" << int(LedWorker::OFF) << true << "LED_POL2_POS_NEG"
                                 << QByteArray("0");
    QTest::newRow("blink writes nothing yet")
            << "ch1_on" << int(LedWorker::BLINK) << true << QString() << QByteArray();
    QTest::newRow("channel 4") << "ch4_on" << int(LedWorker::ON) << false << QString()
                               << QByteArray();
    QTest::newRow("channel 9 blink")
            << "ch9_on" << int(LedWorker::BLINK) << false << QString() << QByteArray();
    QTest::newRow("unknown name") << "ch1_hv" << int(LedWorker::ON) << false << QString()
                                  << QByteArray();
    QTest::newRow("no channel digit")
            << "chx_on" << int(LedWorker::OFF) << false << QString() << QByteArray();
    QTest::newRow("empty") << "" << int(LedWorker::ON) << false << QString() << QByteArray();
}

void tst_LedWorker::setLedState()
{
    QFETCH(QString, ledId);
    QFETCH(int, state);
    QFETCH(bool, result);
    QFETCH(QString, device);
    QFETCH(QByteArray, content);

    QCOMPARE(m_worker->setLedState(ledId, LedWorker::LedState(state)), result);
    QCOMPARE(changedDevices(), device.isEmpty() ? QStringList() : QStringList { device });
    if (!device.isEmpty())
        QCOMPARE(readFile(brightness(device)), content);
    // Refused identifiers create nothing and start no blinking.
    QCOMPARE(QDir(m_root + QLatin1String("/sys/class/leds")).count(), uint(devices.size() + 2));
    QCOMPARE(blinkTimer()->isActive(), state == LedWorker::BLINK && result);
}

static QStringList logged;

void tst_LedWorker::missingLedFileFails()
{
    QVERIFY(QFile::remove(brightness("LED_OK2_GREEN")));
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { logged << text; });
    // A panel without the LED says so once, however often the LED changes.
    for (const LedWorker::LedState state : { LedWorker::ON, LedWorker::OFF, LedWorker::ON })
        QVERIFY(!m_worker->setLedState("ch2_ok", state));
    qInstallMessageHandler(previous);
    QCOMPARE(logged, QStringList { "Error while opening file: " + brightness("LED_OK2_GREEN") });
    QVERIFY(!QFile::exists(brightness("LED_OK2_GREEN")));
}

void tst_LedWorker::firstBlinkStartsWithOff()
{
    const QString file = brightness("LED_HV2_YELLOW");
    QVERIFY(m_worker->setLedState("ch2_on", LedWorker::BLINK));
    QVERIFY(blinkTimer()->isActive());
    QCOMPARE(blinkTimer()->interval(), 333);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("0"), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("1"), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("0"), 1000);
    QCOMPARE(changedDevices(), QStringList { "LED_HV2_YELLOW" });
}

void tst_LedWorker::onWhileBlinking()
{
    const QString file = brightness("LED_HV2_YELLOW");
    QVERIFY(m_worker->setLedState("ch2_on", LedWorker::BLINK));
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("0"), 1000);
    QVERIFY(m_worker->setLedState("ch2_on", LedWorker::ON));
    QCOMPARE(readFile(file), QByteArray("1"));
    QTRY_VERIFY_WITH_TIMEOUT(!blinkTimer()->isActive(), 1000);
    // Two more phases would have written "1" and then "0".
    QTest::qWait(400);
    QCOMPARE(readFile(file), QByteArray("1"));
}

void tst_LedWorker::blinkOnOtherLedOnlyRunsTimer()
{
    QVERIFY(m_worker->setLedState("ch1_ok", LedWorker::BLINK));
    QVERIFY(blinkTimer()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!blinkTimer()->isActive(), 1000);
    QCOMPARE(changedDevices(), QStringList());
}

void tst_LedWorker::phaseKeptAcrossStops()
{
    // One idle tick turns the phase to on; blinking started later begins there.
    QVERIFY(m_worker->setLedState("ch1_ok", LedWorker::BLINK));
    QTRY_VERIFY_WITH_TIMEOUT(!blinkTimer()->isActive(), 1000);
    QVERIFY(m_worker->setLedState("ch0_on", LedWorker::BLINK));
    QTRY_COMPARE_WITH_TIMEOUT(changedDevices(), QStringList { "LED_HV0_YELLOW" }, 1000);
    QCOMPARE(readFile(brightness("LED_HV0_YELLOW")), QByteArray("1"));
}

void tst_LedWorker::repeatedBlinkKeepsBlinking()
{
    // Requests faster than the blink interval must not hold the phase still.
    QTimer repeat;
    connect(&repeat, &QTimer::timeout, this,
            [this] { m_worker->setLedState("ch3_on", LedWorker::BLINK); });
    repeat.start(100);
    const QString file = brightness("LED_HV3_YELLOW");
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("0"), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("1"), 1000);
}

QTEST_GUILESS_MAIN(tst_LedWorker)

#include "tst_ledworker.moc"
