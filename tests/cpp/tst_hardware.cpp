#include "devicefiles.h"
#include "hardware.h"

#include <QDir>
#include <QFile>
#include <QQmlEngine>
#include <QWebSocketServer>
#include <QtTest>

// Built twice: as the device build and as the desktop build.
#ifdef ZANDOR_DEVICE_BUILD
static const bool deviceBuild = true;
#else
static const bool deviceBuild = false;
#endif

class tst_Hardware : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void environment();
    void fixedAnswers_data();
    void fixedAnswers();
    void backlight_data();
    void backlight();
    void panelOperationsBeforeMain();
    void mainStartsPanel();
    void mainTwiceIsIgnored();
    void scriptListsReachFan();
    void quitStopsThreads();
    void webSocketRelaysOnce();

private:
    const QString m_root = QStringLiteral(ZANDOR_DEVICE_ROOT);
    QScopedPointer<Hardware> m_hardware;
};

static const QString backlightFile
        = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/backlight/backlight/bl_power");
static const QString ledFile
        = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/leds/LED_OK0_GREEN/brightness");
static const QString fanFile = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/leds/FAN/brightness");
static const QString gpioExport = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/gpio/export");
static const QString pwmChip = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/pwm/pwmchip0");
static const QString homeKey = QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/gpio/gpio6/value");
// Every key but "rt_bt" (40), which is left for the key thread to export.
static const QList<int> presentGpios = { 168, 176, 167, 171, 165, 164, 163, 162, 6 };
static const QByteArray untouched = "x";

// Pressing keeps the open handle of the key thread valid.
static void pressHomeKey()
{
    QFile file(homeKey);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.write("0");
}

void tst_Hardware::init()
{
    QDir(m_root).removeRecursively();
    for (const QString &path : { backlightFile, ledFile, fanFile, gpioExport })
        writeFile(path, untouched);
    for (const char *file : { "/export", "/pwm0/period", "/pwm0/duty_cycle", "/pwm0/enable" })
        writeFile(pwmChip + QLatin1String(file), untouched);
    for (int gpio : presentGpios)
        writeFile(QStringLiteral(ZANDOR_DEVICE_ROOT "/sys/class/gpio/gpio%1/value").arg(gpio),
                  "1\n");
    m_hardware.reset(new Hardware);
}

void tst_Hardware::cleanup()
{
    // Joins the panel threads.
    m_hardware.reset();
    QDir(m_root).removeRecursively();
}

void tst_Hardware::environment()
{
    QCOMPARE(m_hardware->environment(), deviceBuild ? QString("ARM") : QString("Intel"));
}

void tst_Hardware::fixedAnswers_data()
{
    QTest::addColumn<QString>("id");
    QTest::newRow("panel key") << "bb_bt1";
    QTest::newRow("unknown") << "nothing";
    QTest::newRow("empty") << "";
}

void tst_Hardware::fixedAnswers()
{
    QFETCH(QString, id);
    QCOMPARE(m_hardware->getButtonState(id), QString("pressed | longpressed"));
    QCOMPARE(m_hardware->getLedState(id), QString("0/1/-1"));
    QCOMPARE(m_hardware->getSensorValue(id), QString("todo"));
    QCOMPARE(m_hardware->getUsbState(id), QString("todo"));
    QCOMPARE(m_hardware->unmountUsb(id), true);
    QCOMPARE(m_hardware->copyConfigToUsb(id, "lumaConfiguration.xml"), true);
}

void tst_Hardware::backlight_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("bare 0, off refused") << QByteArray("0") << false << false << QByteArray("0");
    QTest::newRow("bare 0, on refused") << QByteArray("0") << true << false << QByteArray("0");
    QTest::newRow("driver 0, off") << QByteArray("0\n") << false << true << QByteArray("1");
    QTest::newRow("driver 0, on") << QByteArray("0\n") << true << true << QByteArray("0");
    QTest::newRow("driver 1, on") << QByteArray("1\n") << true << true << QByteArray("0");
    QTest::newRow("bare 1, off") << QByteArray("1") << false << true << QByteArray("1");
    QTest::newRow("empty, on") << QByteArray() << true << true << QByteArray("0");
}

void tst_Hardware::backlight()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, on);
    QFETCH(bool, result);
    QFETCH(QByteArray, after);

    writeFile(backlightFile, before);
    QCOMPARE(on ? m_hardware->switchOnBackLight() : m_hardware->switchOffBackLight(), result);
    QCOMPARE(readFile(backlightFile), after);
}

void tst_Hardware::panelOperationsBeforeMain()
{
    QDir(QFileInfo(backlightFile).path()).removeRecursively();
    QVERIFY(!m_hardware->switchOnBackLight());
    QVERIFY(!m_hardware->switchOffBackLight());
    QVERIFY(!QFile::exists(backlightFile));

    QVERIFY(!m_hardware->setLedOn("ch0_ok"));
    QVERIFY(!m_hardware->setLedOff("ch0_ok"));
    QVERIFY(!m_hardware->setLedBlinking("ch0_on"));
    const QVariantList load = { 1.0 };
    QVERIFY(!m_hardware->setFanSpeed("45", load, load, load, load));
    QCOMPARE(readFile(ledFile), untouched);
    QCOMPARE(readFile(fanFile), untouched);
}

void tst_Hardware::mainStartsPanel()
{
    QStringList keys;
    QObject scope;
    connect(m_hardware.data(), &Hardware::buttonPressed, &scope,
            [&keys](const QString &id) { keys.append(id); });
    m_hardware->main();

    // The fan is set up on the panel only.
    QCOMPARE(readFile(pwmChip + QLatin1String("/pwm0/enable")),
             deviceBuild ? QByteArray("1\n") : untouched);
    QCOMPARE(readFile(fanFile), deviceBuild ? QByteArray("1\n") : untouched);
    QVERIFY(m_hardware->setLedOn("ch0_ok"));
    QCOMPARE(readFile(ledFile), deviceBuild ? QByteArray("1") : untouched);
    QVERIFY(!m_hardware->setLedOn("ch4_ok"));
    const QVariantList none = { 0.0 };
    const QVariantList nominal = { 1.0 };
    QVERIFY(m_hardware->setFanSpeed("30", none, none, nominal, nominal));
    QCOMPARE(readFile(fanFile), deviceBuild ? QByteArray("0\n") : untouched);

    pressHomeKey();
    if (deviceBuild) {
        QTRY_COMPARE_WITH_TIMEOUT(keys, QStringList { "home_bt" }, 1000);
    } else {
        QTest::qWait(200);
        QCOMPARE(keys, QStringList());
    }
    // The missing key is exported on the panel only.
    QCOMPARE(readFile(gpioExport), deviceBuild ? QByteArray("40") : untouched);
}

void tst_Hardware::mainTwiceIsIgnored()
{
    QStringList keys;
    QObject scope;
    connect(m_hardware.data(), &Hardware::buttonPressed, &scope,
            [&keys](const QString &id) { keys.append(id); });
    m_hardware->main();
    m_hardware->main();
    QVERIFY(m_hardware->setLedBlinking("ch0_on"));

    pressHomeKey();
    if (deviceBuild)
        QTRY_COMPARE_WITH_TIMEOUT(keys, QStringList { "home_bt" }, 1000);
    // A second key thread would report the key once more.
    QTest::qWait(200);
    QCOMPARE(keys, deviceBuild ? QStringList { "home_bt" } : QStringList());
}

void tst_Hardware::scriptListsReachFan()
{
    QQmlEngine engine;
    QQmlEngine::setObjectOwnership(m_hardware.data(), QQmlEngine::CppOwnership);
    engine.globalObject().setProperty("hardware", engine.newQObject(m_hardware.data()));
    m_hardware->main();

    // As the interface layer passes them: numbers, and empty texts for values not yet known.
    const QJSValue result = engine.evaluate(
            "hardware.setFanSpeed('45', [0, ''], ['', 0], [3000, 3000], [0.002, 0.002])");
    QVERIFY2(!result.isError(), qPrintable(result.toString()));
    QCOMPARE(result.toBool(), true);
    QCOMPARE(readFile(pwmChip + QLatin1String("/pwm0/duty_cycle")),
             deviceBuild ? QByteArray("400000\n") : untouched);
}

void tst_Hardware::quitStopsThreads()
{
    QStringList keys;
    QObject scope;
    connect(m_hardware.data(), &Hardware::buttonPressed, &scope,
            [&keys](const QString &id) { keys.append(id); });
    m_hardware->main();

    // The application's loop ends as when the window closes.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCOMPARE(qApp->exec(), 0);

    pressHomeKey();
    QTest::qWait(200);
    QCOMPARE(keys, QStringList());
}

void tst_Hardware::webSocketRelaysOnce()
{
    QWebSocketServer server(QStringLiteral("test"), QWebSocketServer::NonSecureMode);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QList<QWebSocket *> clients;
    QStringList sent;
    connect(&server, &QWebSocketServer::newConnection, &server, [&] {
        QWebSocket *client = server.nextPendingConnection();
        connect(client, &QWebSocket::textMessageReceived, &server,
                [&sent](const QString &message) { sent.append(message); });
        clients.append(client);
    });

    QStringList received;
    QList<QAbstractSocket::SocketState> states;
    // Ends the relays with this function; the socket reports its close later.
    QObject scope;
    connect(m_hardware.data(), &Hardware::websocketTextMessageReceived, &scope,
            [&received](const QString &message) { received.append(message); });
    connect(m_hardware.data(), &Hardware::websocketStateChanged, &scope,
            [&states](QAbstractSocket::SocketState state) { states.append(state); });

    // Sent before any connection: dropped quietly.
    m_hardware->webSocketSendTextMessage("lost");

    const QString url = QStringLiteral("ws://127.0.0.1:%1").arg(server.serverPort());
    m_hardware->webSocketConnect(url);
    QTRY_VERIFY(states.contains(QAbstractSocket::ConnectedState));
    QTRY_COMPARE(clients.size(), 1);
    m_hardware->webSocketConnect(url);
    QTRY_COMPARE(clients.size(), 2);
    QTRY_COMPARE(states.last(), QAbstractSocket::ConnectedState);

    clients.last()->sendTextMessage("hello");
    QTRY_VERIFY(!received.isEmpty());
    QCOMPARE(received, QStringList { "hello" });

    m_hardware->webSocketSendTextMessage("ping");
    QTRY_COMPARE(sent, QStringList { "ping" });
    qDeleteAll(clients);
}

QTEST_MAIN(tst_Hardware)

#include "tst_hardware.moc"
