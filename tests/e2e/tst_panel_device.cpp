// The device build's root screen against the virtual supply and a fake
// panel device tree: keys, wheel, channel LEDs and display standby.
#include "devicefiles.h"
#include "items.h"
#include "panel.h"
#include "supplyprocess.h"

#include <QDir>
#include <QJsonObject>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_PanelDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void keysAndWheelReachTheScreen();
    void channelKeysSwitchAndLedsFollow();
    void channelLeds_data();
    void channelLeds();
    void fanFeedConvertsUnits();
    void outageLocksKeysBlinksLedsAndRunsTheFan();
    void voltageAppliedByKeysDuringAnOutageIsRefused();
    void pressRefusedBehindTheVeilStaysRefused();
    void interlocksReadCurrentValuesOnly();
    void standbySwitchesOffAndFirstReleaseOnlyWakes();
    void linkSettingsAreRefused();

private:
    QString device(const QString &path) const { return QStringLiteral(ZANDOR_DEVICE_ROOT) + path; }
    void write(const QString &path, const QByteArray &content) { writeFile(device(path), content); }
    QByteArray read(const QString &path) const { return readFile(device(path)); }
    void press(int gpio);
    void release(int gpio);
    void tap(int gpio);
    void turnWheel(int value);
    QString led(const QString &name) const;
    int wheelWriter = -1;
};

static const QStringList leds = { "LED_HV0_YELLOW",
                                  "LED_HV1_YELLOW",
                                  "LED_HV2_YELLOW",
                                  "LED_HV3_YELLOW",
                                  "LED_OK0_GREEN",
                                  "LED_OK1_GREEN",
                                  "LED_OK2_GREEN",
                                  "LED_OK3_GREEN",
                                  "LED_POL0_POS_NEG",
                                  "LED_POL1_POS_NEG",
                                  "LED_POL2_POS_NEG",
                                  "LED_POL3_POS_NEG",
                                  "FAN" };
static const QList<int> gpios = { 168, 176, 167, 171, 165, 164, 163, 162, 40, 6 };
enum Gpio { SoftKey2 = 176, Channel1 = 164, Channel2 = 163, WheelKey = 40, HomeKey = 6 };
static const QList<int> softKeys = { 168, 176, 167, 171 };
static const QList<int> channelKeys = { 165, 164, 163, 162 };

QString tst_PanelDevice::led(const QString &name) const
{
    return QString::fromLatin1(read("/sys/class/leds/" + name + "/brightness")).trimmed();
}

void tst_PanelDevice::press(int gpio)
{
    write(QStringLiteral("/sys/class/gpio/gpio%1/value").arg(gpio), "0\n");
    QTest::qWait(150);
}

void tst_PanelDevice::release(int gpio)
{
    write(QStringLiteral("/sys/class/gpio/gpio%1/value").arg(gpio), "1\n");
    QTest::qWait(150);
}

// A soft key ignores a tap that comes right after one that changed its action.
void tst_PanelDevice::tap(int gpio)
{
    Panel::paceTap();
    press(gpio);
    release(gpio);
}

void tst_PanelDevice::turnWheel(int value)
{
    input_event event = {};
    event.type = EV_REL;
    event.code = REL_WHEEL;
    event.value = value;
    QCOMPARE(::write(wheelWriter, &event, sizeof(event)), ssize_t(sizeof(event)));
}

void tst_PanelDevice::initTestCase()
{
    QDir(device("")).removeRecursively();
    for (const QString &name : leds)
        write("/sys/class/leds/" + name + "/brightness", "0\n");
    for (int gpio : gpios)
        write(QStringLiteral("/sys/class/gpio/gpio%1/value").arg(gpio), "1\n");
    write("/sys/class/gpio/export", "");
    for (const char *file :
         { "/sys/class/pwm/pwmchip0/export", "/sys/class/pwm/pwmchip0/pwm0/period",
           "/sys/class/pwm/pwmchip0/pwm0/duty_cycle", "/sys/class/pwm/pwmchip0/pwm0/enable" })
        write(file, "");
    write("/sys/class/backlight/backlight/bl_power", "0\n");
    QVERIFY(QDir().mkpath(device("/dev/input")));
    QCOMPARE(::mkfifo(QFile::encodeName(device("/dev/input/event1")).constData(), 0600), 0);
    // Held open for writing all along, like a device that never goes away.
    wheelWriter = ::open(QFile::encodeName(device("/dev/input/event1")).constData(),
                         O_RDWR | O_CLOEXEC);
    QVERIFY(wheelWriter >= 0);

    Panel::prepareApplication();
}

void tst_PanelDevice::cleanupTestCase()
{
    ::close(wheelWriter);
    QDir(device("")).removeRecursively();
}

// Whether the supply received a write of the item at the path.
static bool sent(const SupplyProcess &supply, const QString &path, const QString &item)
{
    const QString prefix = path.split(QLatin1Char('.')).join(QLatin1Char(' ')) + ' ' + item + ' ';
    const QStringList writes = supply.writes();
    return std::any_of(writes.cbegin(), writes.cend(),
                       [&](const QString &write) { return write.startsWith(prefix); });
}

void tst_PanelDevice::keysAndWheelReachTheScreen()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port(), "_PANEL_", "_PANEL_");
    QCOMPARE(panel.property("appMode").toString(), QStringLiteral("Zandor"));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() == 4, 10000);
    QSignalSpy triggers(panel.root(), SIGNAL(componentTriggered(QString, QVariant)));

    press(SoftKey2);
    release(SoftKey2);
    press(WheelKey);
    release(WheelKey);
    turnWheel(1);
    // The keys' own triggers; the views' reactions to them (the wheel's press
    // releasing the first soft key) come in between.
    const auto routed = [&triggers] {
        QList<QPair<QString, QVariantMap>> result;
        for (const QList<QVariant> &trigger : triggers) {
            if (trigger.at(0).toString() != QLatin1String("bb_bt1"))
                result.append({ trigger.at(0).toString(), trigger.at(1).toMap() });
        }
        return result;
    };
    QTRY_COMPARE_WITH_TIMEOUT(routed().size(), 5, 3000);
    const QList<QPair<QString, QVariantMap>> expected = {
        { "bb_bt2", { { "action", "pressed" } } },
        { "bb_bt2", { { "action", "released" } } },
        { "wh1", { { "action", "pressed" } } },
        { "wh1", { { "action", "released" } } },
        { "wh1", { { "action", "turned" }, { "steps", -1 } } },
    };
    QCOMPARE(routed(), expected);

    press(HomeKey);
    QVERIFY(panel.property("currentView").toString() != QLatin1String("Home"));
    release(HomeKey);
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(), QStringLiteral("Home"),
                              3000);
}

void tst_PanelDevice::channelKeysSwitchAndLedsFollow()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port(), "_PANEL_", "_PANEL_");
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() == 4, 10000);
    const auto value = [&](const QString &item) {
        return panel.call("getItemValue", { "0.0.1", item }).toList().value(1).toString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(value("Status.runningState"), QStringLiteral("off"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(led("LED_OK1_GREEN"), QStringLiteral("1"), 3000);
    QCOMPARE(led("LED_HV1_YELLOW"), QStringLiteral("0"));

    // 300 V at 100 V/s: a ramp of three seconds.
    panel.call("setItemValue", { "0.0.1", "Control.voltageSet", "300", "V" });
    panel.call("setItemValue", { "0.0.1", "Control.voltageRampspeedUp", "100", "V/s" });
    QTRY_COMPARE_WITH_TIMEOUT(value("Control.voltageSet"), QStringLiteral("300"), 3000);
    press(Channel1);
    release(Channel1);
    QTRY_VERIFY_WITH_TIMEOUT(sent(supply, "0.0.1", "Control.on"), 3000);
    QVERIFY(!sent(supply, "0.0.2", "Control.on"));
    // While the channel ramps its on-LED blinks; once there it stays on.
    QTRY_COMPARE_WITH_TIMEOUT(value("Status.runningState"), QStringLiteral("info"), 5000);
    bool blinked = false;
    QString first = led("LED_HV1_YELLOW");
    for (int i = 0; i < 20 && !blinked && value("Status.runningState") == QLatin1String("info");
         ++i) {
        QTest::qWait(100);
        blinked = led("LED_HV1_YELLOW") != first;
    }
    QVERIFY(blinked);
    QTRY_COMPARE_WITH_TIMEOUT(value("Status.runningState"), QStringLiteral("ok"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(led("LED_HV1_YELLOW"), QStringLiteral("1"), 3000);
    QCOMPARE(led("LED_OK1_GREEN"), QStringLiteral("1"));

    // Polarity reported by the supply drives the polarity LEDs.
    for (const QString channel : { "0", "1", "2", "3" }) {
        const QString polarity
                = panel.call("getItemValue", { "0.0." + channel, "Setup.outputPolarity" })
                          .toList()
                          .value(1)
                          .toString();
        QVERIFY(polarity == "p" || polarity == "n");
        QTRY_COMPARE_WITH_TIMEOUT(led("LED_POL" + channel + "_POS_NEG"),
                                  QString(polarity == "p" ? "1" : "0"), 3000);
    }
    QVERIFY(led("LED_POL0_POS_NEG") != led("LED_POL1_POS_NEG"));
}

void tst_PanelDevice::channelLeds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("value");
    // "7" is a mark the panel never writes: an LED that keeps it was left alone.
    QTest::addColumn<QString>("onLed");
    QTest::addColumn<QString>("okLed");
    QTest::addColumn<QString>("polarityLed");

    QTest::newRow("ok") << "0.0.2"
                        << "Status.runningState"
                        << "ok"
                        << "1"
                        << "1"
                        << "7";
    QTest::newRow("off") << "0.0.2"
                         << "Status.runningState"
                         << "off"
                         << "0"
                         << "1"
                         << "7";
    QTest::newRow("info") << "0.0.2"
                          << "Status.runningState"
                          << "info"
                          << "blink"
                          << "7"
                          << "7";
    QTest::newRow("error") << "0.0.2"
                           << "Status.runningState"
                           << "error"
                           << "0"
                           << "0"
                           << "7";
    QTest::newRow("errorInfo") << "0.0.2"
                               << "Status.runningState"
                               << "errorInfo"
                               << "blink"
                               << "0"
                               << "7";
    QTest::newRow("errorOn") << "0.0.2"
                             << "Status.runningState"
                             << "errorOn"
                             << "1"
                             << "0"
                             << "7";
    QTest::newRow("unknown state") << "0.0.2"
                                   << "Status.runningState"
                                   << "ramping"
                                   << "7"
                                   << "7"
                                   << "7";
    QTest::newRow("device path") << "0.0"
                                 << "Status.runningState"
                                 << "ok"
                                 << "7"
                                 << "7"
                                 << "7";
    QTest::newRow("positive") << "0.0.2"
                              << "Setup.outputPolarity"
                              << "p"
                              << "7"
                              << "7"
                              << "1";
    QTest::newRow("negative") << "0.0.2"
                              << "Setup.outputPolarity"
                              << "n"
                              << "7"
                              << "7"
                              << "0";
    QTest::newRow("unknown polarity") << "0.0.2"
                                      << "Setup.outputPolarity"
                                      << "x"
                                      << "7"
                                      << "7"
                                      << "7";
}

void tst_PanelDevice::channelLeds()
{
    QFETCH(QString, path);
    QFETCH(QString, item);
    QFETCH(QString, value);
    QFETCH(QString, onLed);
    QFETCH(QString, okLed);
    QFETCH(QString, polarityLed);

    // No supply: the cache is fed directly, as the link would feed it.
    Panel panel(SupplyProcess::freePort(), "_PANEL_", "_PANEL_");
    QObject *cache = panel.child("addItem");
    QVERIFY(cache);
    for (const char *name : { "LED_HV2_YELLOW", "LED_OK2_GREEN", "LED_POL2_POS_NEG" })
        write(QStringLiteral("/sys/class/leds/%1/brightness").arg(name), "7");

    QMetaObject::invokeMethod(cache, "addItem", Q_ARG(QVariant, path), Q_ARG(QVariant, item),
                              Q_ARG(QVariant, value), Q_ARG(QVariant, ""), Q_ARG(QVariant, "1"));
    // A blinking LED takes its first phase at the next tick of the blink clock.
    QTest::qWait(400);
    QSet<QString> seen;
    for (int i = 0; i < 10; ++i) {
        seen << led("LED_HV2_YELLOW");
        QTest::qWait(100);
    }
    if (onLed == QLatin1String("blink"))
        QCOMPARE(seen, (QSet<QString> { "0", "1" }));
    else
        QCOMPARE(seen, QSet<QString> { onLed });
    QCOMPARE(led("LED_OK2_GREEN"), okLed);
    QCOMPARE(led("LED_POL2_POS_NEG"), polarityLed);
}

void tst_PanelDevice::fanFeedConvertsUnits()
{
    Panel panel(SupplyProcess::freePort(), "_PANEL_", "_PANEL_");
    QObject *cache = panel.child("addItem");
    QVERIFY(cache);
    const auto report = [&](const QString &path, const QString &item, const QString &value,
                            const QString &unit) {
        QMetaObject::invokeMethod(cache, "addItem", Q_ARG(QVariant, path), Q_ARG(QVariant, item),
                                  Q_ARG(QVariant, value), Q_ARG(QVariant, unit),
                                  Q_ARG(QVariant, "1"));
    };
    panel.root()->setProperty("numberOfChannels", 4);
    report("0.0", "Status.temperature", "35", "°C");
    // Every channel at its nominal voltage and current, reported in other units.
    for (const QString channel : { "0", "1", "2", "3" }) {
        report("0.0." + channel, "Status.voltageMeasure", "3000", "V");
        report("0.0." + channel, "Status.voltageNominal", "3", "kV");
        report("0.0." + channel, "Status.currentMeasure", "2000", "µA");
        report("0.0." + channel, "Status.currentNominal", "2", "mA");
    }
    panel.call("feedFan");
    QCOMPARE(read("/sys/class/pwm/pwmchip0/pwm0/duty_cycle"), QByteArray("532000\n"));
    QCOMPARE(led("FAN"), QStringLiteral("1"));
}

// While the link is down: the keys that write do nothing but say so once,
// every channel LED blinks in step (the not-current pattern), and the fan
// runs at full speed; all back to live once the supply returns.
void tst_PanelDevice::outageLocksKeysBlinksLedsAndRunsTheFan()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port, "_PANEL_", "_PANEL_");
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    // The first feed asks for the temperature; the next has it.
    panel.call("feedFan");
    QTRY_VERIFY_WITH_TIMEOUT(panel.call("isItemCurrent", { "0.0", "Status.temperature" }).toBool(),
                             5000);
    QTRY_COMPARE_WITH_TIMEOUT(led("LED_OK0_GREEN"), QStringLiteral("1"), 3000);
    // Fed from live values once the nominal ones have arrived too: a cool
    // supply without load switches the fan off, a warm one slows it.
    const auto fedLive = [&] {
        panel.call("feedFan");
        return led("FAN") == QLatin1String("0")
                || read("/sys/class/pwm/pwmchip0/pwm0/duty_cycle") != QByteArray("0\n");
    };
    QTRY_VERIFY_WITH_TIMEOUT(fedLive(), 5000);

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QCOMPARE(read("/sys/class/pwm/pwmchip0/pwm0/duty_cycle"), QByteArray("0\n"));
    QCOMPARE(led("FAN"), QStringLiteral("1"));
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    for (int key : softKeys + channelKeys) {
        press(key);
        release(key);
    }
    QStringList refusals;
    for (const QList<QVariant> &alert : raised)
        refusals << alert.at(1).toString();
    QCOMPARE(refusals, QStringList({ "NOT CONNECTED: KEYS LOCKED, NOTHING SENT" }));
    QCOMPARE(panel.property("currentView").toString(), QStringLiteral("Channellist"));

    // Every LED of a channel blinks, together.
    const QStringList names
            = { "LED_HV0_YELLOW", "LED_OK0_GREEN", "LED_POL0_POS_NEG", "LED_OK3_GREEN" };
    QSet<QString> patterns;
    for (int i = 0; i < 12; ++i) {
        QStringList states;
        for (const QString &name : names)
            states << led(name);
        patterns << states.join(QLatin1Char(' '));
        QTest::qWait(100);
    }
    QCOMPARE(patterns, QSet<QString>({ "0 0 0 0", "1 1 1 1" }));

    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
            panel.call("isItemCurrent", { "0.0.0", "Status.runningState" }).toBool(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(
            panel.call("isItemCurrent", { "0.0.0", "Setup.outputPolarity" }).toBool(), 5000);
    // Live again: channel 0 off and steady.
    patterns.clear();
    for (int i = 0; i < 8; ++i) {
        patterns << led("LED_HV0_YELLOW") + ' ' + led("LED_OK0_GREEN");
        QTest::qWait(100);
    }
    QCOMPARE(patterns, QSet<QString>({ "0 1" }));
    const QStringList writes = supply.writes();
    QVERIFY2(!writes.join('\n').contains("Control.on") && !writes.join('\n').contains("clearAll"),
             qPrintable(writes.join(", ")));
}

// The voltage menu edited by wheel and applied by the soft key while the
// link is down: refused with the alert, and not sent when the link returns.
void tst_PanelDevice::voltageAppliedByKeysDuringAnOutageIsRefused()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port, "_PANEL_", "_PANEL_");
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    panel.call("setSelectedChannel", { "0.0.0" });
    panel.command("openVoltageMenu");
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(), QStringLiteral("Menu"),
                              3000);
    QTRY_VERIFY_WITH_TIMEOUT(
            panel.call("isItemCurrent", { "0.0.0", "Control.voltageSet" }).toBool(), 5000);
    press(softKeys[0]); // EDIT
    release(softKeys[0]);
    turnWheel(1);
    QTest::qWait(300);

    // The outage ends that edit; one begun behind the veil is refused at
    // APPLY and stays open, to be applied or left.
    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getObjectState", { "wh1" }).toString(), QString(), 2000);
    QTest::qWait(700);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    press(softKeys[0]); // EDIT
    release(softKeys[0]);
    turnWheel(1);
    QTest::qWait(700); // a soft key whose action just changed ignores a tap
    press(softKeys[0]); // APPLY
    release(softKeys[0]);
    QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 2000);
    QCOMPARE(raised.first().at(1).toString(),
             QStringLiteral("NOT CONNECTED: VOLTAGE SET OF CHANNEL 0 NOT SENT"));
    QCOMPARE(panel.call("getObjectState", { "wh1" }).toString(), QStringLiteral("error"));
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getObjectState", { "wh1" }).toString(),
                              QStringLiteral("active"), 2000);

    QTest::qWait(1000);
    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTest::qWait(1500);
    QVERIFY(!sent(supply, "0.0.0", "Control.voltageSet"));
}

// A press refused behind the veil is refused whole: released once the link
// is back it sends and triggers nothing, though it still counts as input
// for the display's standby. A press of this login switches.
void tst_PanelDevice::pressRefusedBehindTheVeilStaysRefused()
{
    SupplyProcess supply({ QStringLiteral("--standby"), QStringLiteral("5") });
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port, "_PANEL_", "_PANEL_");
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.call("isItemCurrent", { "0.0.1", "Control.on" }).toBool(), 5000);
    const QList<int> keys = { Channel1, softKeys[0], WheelKey };

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QSignalSpy triggers(panel.root(), SIGNAL(componentTriggered(QString, QVariant)));
    for (int key : keys)
        press(key);
    QSignalSpy configurations(panel.root(), SIGNAL(configChanged()));
    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!configurations.isEmpty(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.call("isItemCurrent", { "0.0.1", "Control.on" }).toBool(), 5000);
    QCOMPARE(panel.property("currentView").toString(), QStringLiteral("Channellist"));
    const QPointer<QObject> standby = panel.property("displayTimer").value<QObject *>();
    QTest::qWait(1000);
    QVERIFY(standby);

    for (int key : keys)
        release(key);
    QTest::qWait(1500);
    QVERIFY2(!sent(supply, "0.0.1", "Control.on"), qPrintable(supply.writes().join(", ")));
    for (const QList<QVariant> &trigger : triggers)
        QCOMPARE(trigger.at(1).toMap().value("action").toString(), QStringLiteral("canceled"));
    QCOMPARE(panel.property("currentView").toString(), QStringLiteral("Channellist"));
    QVERIFY2(!standby, "the releases did not restart the display standby");

    press(Channel1);
    release(Channel1);
    QTRY_VERIFY_WITH_TIMEOUT(sent(supply, "0.0.1", "Control.on"), 3000);
}

// The menu's shown view and the text its alert strip shows.
static QQuickItem *shownView(Panel &panel)
{
    for (QObject *child : panel.root()->children()) {
        if (child->metaObject()->indexOfProperty("sourceComponent") >= 0)
            return child->property("item").value<QQuickItem *>();
    }
    return nullptr;
}

static QString alertText(Panel &panel)
{
    QList<QQuickItem *> found;
    collect(shownView(panel), QStringLiteral("alert"), found);
    QQuickItem *message = found.isEmpty()
            ? nullptr
            : found.first()->findChild<QQuickItem *>(QStringLiteral("message"));
    return message ? message->property("text").toString() : QString();
}

static QString keyCaption(Panel &panel, const QString &key)
{
    QList<QQuickItem *> found;
    collect(shownView(panel), key, found);
    QQuickItem *label = found.isEmpty()
            ? nullptr
            : found.first()->findChild<QQuickItem *>(QStringLiteral("label"));
    return label ? label->property("text").toString() : QString();
}

// Polarity needs its channel off, the factory reset every channel: the "0"
// of this login unblocks them, the same "0" kept through an outage does
// not, and the key says why.
void tst_PanelDevice::interlocksReadCurrentValuesOnly()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port, "_PANEL_", "_PANEL_");
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    panel.call("setSelectedChannel", { "0.0.0" });
    panel.command("openChannelSetup");
    QTRY_COMPARE_WITH_TIMEOUT(shownView(panel)->property("shownMenu").toString(),
                              QStringLiteral("configHardware_channelSetup"), 3000);
    const auto off = [&](const QString &path, const QString &item) {
        return panel.call("isItemCurrent", { path, item }).toBool()
                && panel.call("getItemValue", { path, item }).toList().value(1).toString() == "0";
    };
    QTRY_VERIFY_WITH_TIMEOUT(off("0.0.0", "Status.on") && off("0.0.0", "Control.on"), 5000);
    QCOMPARE(shownView(panel)->property("currentItem").value<QObject *>()->property("_itemName"),
             QVariant("Polarity"));
    tap(softKeys[0]); // EDIT
    QTRY_COMPARE_WITH_TIMEOUT(shownView(panel)->property("mode").toString(), QStringLiteral("edit"),
                              2000);
    tap(softKeys[1]); // CANCEL
    QTRY_COMPARE_WITH_TIMEOUT(shownView(panel)->property("mode").toString(),
                              QStringLiteral("select"), 2000);

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QCOMPARE(panel.call("getItemValue", { "0.0.0", "Status.on" }).toList().value(1).toString(),
             QStringLiteral("0"));
    QTest::qWait(1200); // the rows check their condition every second
    tap(softKeys[0]); // EDIT
    QTRY_COMPARE_WITH_TIMEOUT(alertText(panel),
                              QStringLiteral("POLARITY BLOCKED: STATE OF CHANNEL 0 NOT CURRENT"),
                              2000);
    QCOMPARE(shownView(panel)->property("mode").toString(), QStringLiteral("select"));

    panel.call("changeView", { "Menu", QVariantMap { { "modelToLoad", "configReset" } }, false });
    turnWheel(1);
    QTest::qWait(200);
    turnWheel(1);
    QTRY_COMPARE_WITH_TIMEOUT(
            shownView(panel)->property("currentItem").value<QObject *>()->property("_itemName"),
            QVariant("Factory reset"), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(keyCaption(panel, "bb_bt1"), QStringLiteral("BLOCKED"), 2000);
    tap(softKeys[0]);
    QTRY_COMPARE_WITH_TIMEOUT(alertText(panel),
                              QStringLiteral("FACTORY RESET BLOCKED: CHANNEL STATES NOT CURRENT"),
                              2000);

    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(off("0.0", "Status.on"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(keyCaption(panel, "bb_bt1"), QStringLiteral("SET / DO"), 2000);
    QVERIFY(!sent(supply, "0.0", "Control.factoryReset"));
}

void tst_PanelDevice::standbySwitchesOffAndFirstReleaseOnlyWakes()
{
    SupplyProcess supply({ QStringLiteral("--standby"), QStringLiteral("1") });
    QVERIFY(supply.start());
    Panel panel(supply.port(), "_PANEL_", "_PANEL_");
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("numberOfChannels").toInt() == 4, 10000);
    QElapsedTimer idle;
    idle.start();
    QCOMPARE(read("/sys/class/backlight/backlight/bl_power"), QByteArray("0"));
    // The driver reports its state with a line end.
    write("/sys/class/backlight/backlight/bl_power", "0\n");

    // Counted in minutes: still on a few seconds later, off after one.
    QTest::qWait(3000);
    QVERIFY(panel.property("displayIsOn").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("displayIsOn").toBool(), 65000);
    QVERIFY2(idle.elapsed() > 55000, qPrintable(QString::number(idle.elapsed())));
    QCOMPARE(read("/sys/class/backlight/backlight/bl_power"), QByteArray("1"));

    press(Channel2);
    release(Channel2);
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("displayIsOn").toBool(), 3000);
    QCOMPARE(read("/sys/class/backlight/backlight/bl_power"), QByteArray("0"));
    QTest::qWait(300);
    QVERIFY(!sent(supply, "0.0.2", "Control.on"));

    press(Channel2);
    release(Channel2);
    QTRY_VERIFY_WITH_TIMEOUT(sent(supply, "0.0.2", "Control.on"), 3000);
}

// The panel talks to its own supply: the desktop's link settings do not apply.
void tst_PanelDevice::linkSettingsAreRefused()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port(), "_PANEL_", "_PANEL_");
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    const QString port = panel.call("getRemoteConfig", { "port" }).toString();
    for (const QString name : { "ip", "port", "user", "password" })
        QCOMPARE(panel.call("setRemoteConfig", { name, "1" }), QVariant(false));
    QCOMPARE(panel.call("getRemoteConfig", { "port" }).toString(), port);
    QTest::qWait(1500);
    QVERIFY(panel.property("connected").toBool());
    const QList<QJsonValue> frames = supply.received();
    QCOMPARE(std::count_if(frames.cbegin(), frames.cend(),
                           [](const QJsonValue &frame) {
                               return frame.toObject().value("t").toString() == "login";
                           }),
             1);
}

QTEST_MAIN(tst_PanelDevice)
#include "tst_panel_device.moc"
