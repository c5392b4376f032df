// The real root screen against the real virtual supply: what crosses the
// wire, and how the link recovers.
#include "items.h"
#include "panel.h"
#include "supplyprocess.h"

#include "pixels.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

class tst_Link : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loginStartBatchAndConfiguration();
    void setItemRoundTrip();
    void commandsWhileDownLeadTheStartBatch();
    void supplyRestartKeepsCache();
    void silentSupplyIsReopened();
    void wrongCredentials();
    void malformedFramesChangeNothing();
    void newAddressReconnects();
};

static QJsonArray requestPackets(const QJsonValue &frame)
{
    const QJsonObject envelope = frame.toObject();
    return envelope.value(QStringLiteral("t")).toString() == QLatin1String("request")
            ? envelope.value(QStringLiteral("c")).toArray()
            : QJsonArray();
}

static QString describe(const QJsonValue &packet)
{
    const QJsonObject p = packet.toObject().value(QStringLiteral("p")).toObject();
    const QJsonObject path = p.value(QStringLiteral("p")).toObject();
    return QStringList { packet.toObject().value(QStringLiteral("c")).toString(),
                         path.value(QStringLiteral("l")).toString(),
                         path.value(QStringLiteral("a")).toString(),
                         path.value(QStringLiteral("c")).toString(),
                         p.value(QStringLiteral("i")).toString() }
            .join(QLatin1Char(' '));
}

static int count(const QList<QJsonValue> &frames, const QString &type)
{
    return int(std::count_if(frames.cbegin(), frames.cend(), [&](const QJsonValue &frame) {
        return frame.toObject().value(QStringLiteral("t")).toString() == type;
    }));
}

static QString value(Panel &panel, const QString &path, const QString &item)
{
    return panel.call("getItemValue", { path, item }).toList().value(1).toString();
}

// The named item inside the list row of the channel, or of the view.
static QQuickItem *find(Panel &panel, const QString &name, const QString &channel = {})
{
    return inRow(qobject_cast<QQuickItem *>(panel.root()), channel, name);
}

static QString text(QQuickItem *item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

void tst_Link::initTestCase()
{
    Panel::prepareApplication();
}

void tst_Link::loginStartBatchAndConfiguration()
{
    SupplyProcess supply({ QStringLiteral("--channels"), QStringLiteral("6") });
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QSignalSpy views(panel.root(), SIGNAL(viewChanged(QString)));
    QSignalSpy configurations(panel.root(), SIGNAL(configChanged()));

    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("numberOfChannels").toInt(), 4, 10000);

    const QList<QJsonValue> in = supply.received();
    QVERIFY(in.size() >= 3);
    QCOMPARE(in[0].toObject(),
             QJsonObject({ { "i", "" },
                           { "t", "login" },
                           { "c", QJsonObject({ { "l", "kiwi" }, { "p", "kiwi" } }) },
                           { "r", "websocket" } }));
    const QJsonArray batch = requestPackets(in[1]);
    QStringList packets;
    for (const QJsonValue &packet : batch)
        packets << describe(packet);
    const QStringList expected = {
        "setItem    Setup.cycleTime",
        "getItem    Control.liveInsertion",
        "getItem * * * Control.voltageSet",
        "getItem * * * Control.currentSet",
        "getItem * * * Setup.outputPolarity",
        "getItem * * * Status.voltageMode",
        "getItem * * * Status.currentMode",
        "getItem * *  Status.installFirmware",
        "getItem * *  Status.on",
        "getItem 0 0  Status.ethernetState",
        "getItem 0 0  Status.usbRemoteState",
        "getItem 0 0  Status.usbAuxState",
        "getItem 0 0  Status.usbRemoteText",
        "getItem 0 0  Status.usbAuxText",
        "getItem 0 0 * Status.lowCurrentRange",
    };
    QCOMPARE(packets, expected);
    QCOMPARE(in[1].toObject().value("i").toString().isEmpty(), false);
    QCOMPARE(in[2].toObject().value("t").toString(), QStringLiteral("getConfig"));

    const QString model
            = panel.call("getConfigValue", { "hardwareDetect/device@id=0-0/@model" }).toString();
    QVERIFY(!model.isEmpty());
    QCOMPARE(panel.property("deviceName").toString(), model.left(12));
    QCOMPARE(views.count(), 1);
    QCOMPARE(views.at(0).at(0).toString(), QStringLiteral("Channellist"));

    // A configuration read again changes neither the count nor the view.
    panel.call("loadConfiguration");
    QTRY_COMPARE_WITH_TIMEOUT(configurations.count(), 2, 5000);
    QCOMPARE(views.count(), 1);
    QCOMPARE(panel.property("numberOfChannels").toInt(), 4);
}

void tst_Link::setItemRoundTrip()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);

    panel.call("setItemValue", { "0.0.1", "Control.voltageSet", "1234", "V" });
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.1", "Control.voltageSet"), QStringLiteral("1234"),
                              5000);

    bool seen = false;
    for (const QJsonValue &frame : supply.received()) {
        for (const QJsonValue &packet : requestPackets(frame)) {
            const QJsonObject p = packet.toObject().value("p").toObject();
            seen |= describe(packet) == QLatin1String("setItem 0 0 1 Control.voltageSet")
                    && p.value("v").toString() == QLatin1String("1234")
                    && p.value("u").toString() == QLatin1String("V");
        }
    }
    QVERIFY(seen);
}

void tst_Link::commandsWhileDownLeadTheStartBatch()
{
    const quint16 port = SupplyProcess::freePort();
    Panel panel(port);
    QTRY_VERIFY_WITH_TIMEOUT(
            !panel.call("getObjectState", { "ethernetStatus" }).toString().isEmpty(), 5000);
    panel.call("setItemValue", { "0.0.2", "Control.on", 1, "" });
    panel.command("lumaCommand", { { "mode", "On" }, { "path", "0.0.3_Control.on" } });

    SupplyProcess supply;
    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(supply.received().size() >= 2, 5000);
    const QJsonArray packets = requestPackets(supply.received().at(1));
    QCOMPARE(packets.size(), 17);
    QCOMPARE(describe(packets[0]), QStringLiteral("setItem 0 0 2 Control.on"));
    QCOMPARE(describe(packets[1]), QStringLiteral("setItem 0 0 3 Control.on"));
    QCOMPARE(describe(packets[2]), QStringLiteral("setItem    Setup.cycleTime"));
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.2", "Control.on"), QStringLiteral("1"), 5000);
}

void tst_Link::supplyRestartKeepsCache()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    panel.call("setItemValue", { "0.0.0", "Control.on", "1", "" });
    panel.call("setItemValue", { "0.0.1", "Control.on", "1", "" });
    for (const QString channel : { "0.0.0", "0.0.1" })
        QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText", channel)), QStringLiteral("OK"),
                                  10000);
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getObjectState", { "usbRemoteStatus" }).toString(),
                              QStringLiteral("off"), 5000);

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    const QString state = panel.call("getObjectState", { "ethernetStatus" }).toString();
    QVERIFY2(state == "closed" || state == "error" || state == "connecting", qPrintable(state));
    // The last known values stay, dimmed, under a veil that says what they are.
    QVERIFY(!value(panel, "0.0.1", "Status.voltageMeasure").isEmpty());
    QQuickItem *running = find(panel, "chStatusText", "0.0.1");
    QCOMPARE(text(running), QStringLiteral("OK"));
    QVERIFY(running->opacity() < 1);
    QVERIFY(find(panel, "vmeas", "0.0.1")->opacity() < 1);
    QVERIFY(find(panel, "blur")->isVisible());
    QCOMPARE(text(find(panel, "veilText")), QStringLiteral("VALUES SHOWN ARE THE LAST KNOWN ONES"));
    QCOMPARE(panel.call("getObjectState", { "usbRemoteStatus" }).toString(), QString());
    QTest::qWait(700); // the alert strip settles
    const QImage veiled = grab(panel.view(), "zandor-veil.png");
    QVERIFY2(count(veiled, QRect(0, 21, 90, 200), QColor(QStringLiteral("#51a301")), 30) == 0,
             "a last known running state is drawn as a live one");

    // Restarted with every channel off: the panel reads everything again.
    QVERIFY(supply.start(supply.port()));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    for (const QString channel : { "0.0.0", "0.0.1" }) {
        QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText", channel)), QStringLiteral("OFF"),
                                  5000);
        QCOMPARE(find(panel, "chStatusText", channel)->opacity(), 1.0);
        QCOMPARE(value(panel, channel, "Control.on"), QStringLiteral("0"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(find(panel, "vset", "0.0.1")->opacity(), 1.0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getObjectState", { "usbRemoteStatus" }).toString(),
                              QStringLiteral("off"), 5000);
    QCOMPARE(count(supply.received(), "login"), 2);
    QCOMPARE(panel.call("getObjectState", { "ethernetStatus" }).toString(),
             QStringLiteral("connected"));
}

void tst_Link::silentSupplyIsReopened()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);

    // A stopped process keeps its sockets open but says nothing.
    supply.pause();
    QElapsedTimer silence;
    silence.start();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 8000);
    QVERIFY2(silence.elapsed() >= 4000, "the link gave up before the watchdog time");
    supply.resume();
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QCOMPARE(count(supply.received(), "login"), 2);
}

void tst_Link::wrongCredentials()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port(), "intruder", "guess");
    QTRY_VERIFY_WITH_TIMEOUT(count(supply.received(), "login") >= 2, 10000);
    const QString state = panel.call("getObjectState", { "ethernetStatus" }).toString();
    QVERIFY2(state == "closed" || state == "error" || state == "connecting" || state == "login",
             qPrintable(state));
    QVERIFY(!panel.property("connected").toBool());
    QCOMPARE(count(supply.received(), "request"), 0);
}

void tst_Link::malformedFramesChangeNothing()
{
    SupplyProcess supply({ QStringLiteral("--garbage"), QStringLiteral("100") });
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("numberOfChannels").toInt(), 4, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!value(panel, "0.0.2", "Status.voltageMeasure").isEmpty(), 5000);
    const int channels = panel.property("numberOfChannels").toInt();
    const QString model = panel.property("deviceName").toString();

    // Every kind of bad frame arrives a few times between good ones.
    QTest::qWait(1500);
    panel.call("setItemValue", { "0.0.2", "Control.voltageSet", "777", "V" });
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.2", "Control.voltageSet"), QStringLiteral("777"),
                              5000);
    QVERIFY(panel.property("connected").toBool());
    QCOMPARE(count(supply.received(), "login"), 1);
    QCOMPARE(panel.property("numberOfChannels").toInt(), channels);
    QCOMPARE(panel.property("deviceName").toString(), model);
    QVERIFY(!panel.call("getConfigValue", { "hardwareDetect/device@id=0-0/@model" })
                     .toString()
                     .isEmpty());
}

void tst_Link::newAddressReconnects()
{
    SupplyProcess first;
    SupplyProcess second;
    QVERIFY(first.start());
    QVERIFY(second.start());
    Panel panel(first.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);

    panel.call("setRemoteConfig", { "port", QString::number(second.port()) });
    QTRY_COMPARE_WITH_TIMEOUT(count(second.received(), "login"), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QCOMPARE(panel.call("getRemoteConfig", { "port" }).toString(), QString::number(second.port()));
    QCOMPARE(count(first.received(), "login"), 1);
}

QTEST_MAIN(tst_Link)
#include "tst_link.moc"
