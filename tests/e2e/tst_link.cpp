// The real root screen against the real virtual supply: what crosses the
// wire, and how the link recovers.
#include "items.h"
#include "panel.h"
#include "supplyprocess.h"

#include "pixels.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

class tst_Link : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loginStartBatchAndConfiguration();
    void setItemRoundTrip();
    void writesMadeOfflineNeverReachTheSupply_data();
    void writesMadeOfflineNeverReachTheSupply();
    void clearAllAlertsOnlyOnTheSupplysAnswer();
    void togglesFollowTheLatestPressOnASlowSupply();
    void unansweredToggleLeavesTheStateUnknown_data();
    void unansweredToggleLeavesTheStateUnknown();
    void setValueOutOfRange_data();
    void setValueOutOfRange();
    void writeToASilentSupplyWarns();
    void lostResetNeverSucceeds();
    void settingChangedOfflineIsRefused();
    void settingTheSupplyRefusesLeavesTheFile();
    void settingOnADeadSocketEndsInAWarning();
    void settingWaitsForThisLoginsConfiguration();
    void usbCommandsOneAtATime();
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

// The alerts raised so far, as "type|message|state".
static QStringList alerts(const QSignalSpy &spy)
{
    QStringList result;
    for (const QList<QVariant> &alert : spy)
        result << alert.at(0).toString() + '|' + alert.at(1).toString() + '|'
                        + alert.at(2).toString();
    return result;
}

void tst_Link::writesMadeOfflineNeverReachTheSupply_data()
{
    QTest::addColumn<int>("outage");
    QTest::newRow("back a second later") << 1000;
    QTest::newRow("back 8 s later") << 8000;
}

// A voltage applied (as the menu applies it), CLEAR on the channel list and
// an emergency off while the link is down: refused where the operator sees
// it, and none of them sent when the link returns.
void tst_Link::writesMadeOfflineNeverReachTheSupply()
{
    QFETCH(int, outage);
    SupplyProcess supply;
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port);
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.voltageSet", "123", "V" }),
             QVariant(false));
    panel.call("panelKeyPressed", { "bb_bt4" });
    panel.call("panelKeyReleased", { "bb_bt4" });
    panel.command("lumaCommand", { { "mode", "On" }, { "path", "0.0.1_Control.emergency" } });
    QCOMPARE(alerts(raised),
             QStringList({ "notSent|NOT CONNECTED: VOLTAGE SET OF CHANNEL 0 NOT SENT|warning",
                           "notSent|NOT CONNECTED: KEYS LOCKED, NOTHING SENT|warning",
                           "notSent|NOT CONNECTED: EMERGENCY OFF OF CHANNEL 1 NOT SENT|warning" }));

    Panel::run(outage);
    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    Panel::run(2000);
    QCOMPARE(
            supply.writes().filter(QRegularExpression("Control\\.(voltageSet|clearAll|emergency)")),
            QStringList());
    QVERIFY(!alerts(raised).join('\n').contains("CLEARED"));

    // The same value applied while logged in goes out.
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.voltageSet", "123", "V" }),
             QVariant(true));
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0 0 Control.voltageSet 123"), 5000);
}

void tst_Link::clearAllAlertsOnlyOnTheSupplysAnswer()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.call("isItemCurrent", { "0.0", "Status.errorCounter" }).toBool(),
                             5000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    panel.call("panelKeyReleased", { "bb_bt4" });
    // Sent, and not yet answered: the answer needs the event loop.
    QCOMPARE(alerts(raised), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(supply.writes().contains("0 0  Control.clearAll 1"), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised),
                              QStringList({ "success|ALL EVENTS AND ERRORS HAVE BEEN CLEARED|ok" }),
                              5000);
    // By then the supply has answered and its counters read cleared.
    QCOMPARE(value(panel, "0.0", "Status.errorCounter"), QStringLiteral("0"));
    QCOMPARE(value(panel, "0.0", "Status.eventCounter"), QStringLiteral("0"));
    const QList<QJsonValue> answers = supply.frames("out");
    const bool answered = std::any_of(answers.cbegin(), answers.cend(), [](const QJsonValue &f) {
        return QJsonDocument(f.toArray()).toJson().contains("Control.clearAll");
    });
    QVERIFY(answered);
}

// Writes of Control.on as the supply received them, for one channel.
static QStringList switching(const SupplyProcess &supply, const QString &channel)
{
    QStringList values;
    for (const QString &write : supply.writes()) {
        if (write.startsWith("0 0 " + channel + " Control.on "))
            values << write.section(' ', 4);
    }
    return values;
}

// Against a supply that answers switching writes 2 s late: off, tap, tap
// within a second ends off; no press repeats the value of the one before.
void tst_Link::togglesFollowTheLatestPressOnASlowSupply()
{
    SupplyProcess supply({ QStringLiteral("--switch-delay"), QStringLiteral("2000") });
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText", "0.0.2")), QStringLiteral("OFF"),
                              10000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    QQuickItem *box = find(panel, "maOnOff", "0.0.2");
    QVERIFY(box);
    const QPoint centre = box->mapToScene(QPointF(box->width() / 2, box->height() / 2)).toPoint();
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre);
    QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText", "0.0.2")),
                              QStringLiteral("SWITCHING"), 1000);
    grab(panel.view(), "zandor-switching.png");
    Panel::run(600);
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre);
    QTRY_COMPARE_WITH_TIMEOUT(switching(supply, "2"), QStringList({ "1", "0" }), 3000);
    // Switching until the supply's answer to the last press.
    Panel::run(1000);
    QCOMPARE(text(find(panel, "chStatusText", "0.0.2")), QStringLiteral("SWITCHING"));
    QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText", "0.0.2")), QStringLiteral("OFF"),
                              5000);
    QCOMPARE(value(panel, "0.0.2", "Control.on"), QStringLiteral("0"));
    Panel::run(1000);
    QCOMPARE(switching(supply, "2"), QStringList({ "1", "0" }));
    QCOMPARE(alerts(raised), QStringList());
}

void tst_Link::unansweredToggleLeavesTheStateUnknown_data()
{
    QTest::addColumn<bool>("channelView");
    QTest::newRow("list row") << false;
    QTest::newRow("channel view") << true;
}

// The supply switches 8 s late: from the warning on, the box shows that the
// state is not known, a press asks for it and writes nothing, and the late
// switch ends it. No value is ever sent twice.
void tst_Link::unansweredToggleLeavesTheStateUnknown()
{
    QFETCH(bool, channelView);
    SupplyProcess supply({ QStringLiteral("--switch-delay"), QStringLiteral("8000") });
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText", "0.0.1")), QStringLiteral("OFF"),
                              10000);
    QString row = QStringLiteral("0.0.1");
    if (channelView) {
        // Switched from the channel's own view, by its running-state box.
        panel.call(
                "setSelectedChannel",
                { QVariantMap(
                        { { "cID", "0.0.1" }, { "chIndex", "1" }, { "chLabel", "CHANNEL 1" } }) });
        panel.command("selectChannel");
        QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                                  QStringLiteral("Channel"), 3000);
        row.clear();
        QTRY_COMPARE_WITH_TIMEOUT(text(find(panel, "chStatusText")), QStringLiteral("OFF"), 3000);
    }
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    QElapsedTimer clock;
    clock.start();
    QQuickItem *box = find(panel, "maOnOff", row);
    QVERIFY(box);
    const QPoint centre = box->mapToScene(QPointF(box->width() / 2, box->height() / 2)).toPoint();
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre);
    QCOMPARE(text(find(panel, "chStatusText", row)), QStringLiteral("SWITCHING"));
    if (channelView)
        grab(panel.view(), "zandor-channel-switching.png");
    QTRY_COMPARE_WITH_TIMEOUT(
            alerts(raised).filter(QStringLiteral("SWITCHED")),
            QStringList({ "notSwitched|NOT SWITCHED: OUTPUT OF CHANNEL 1 ON, NO ANSWER FROM THE "
                          "SUPPLY|warning" }),
            8000);
    QVERIFY2(clock.elapsed() >= 4900, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(clock.elapsed() < 7000, "the warning came after the late switch");

    // Neither the old state nor the new: a dash in the status box's own colour.
    QCOMPARE(text(find(panel, "chStatusText", row)), QStringLiteral("\u2014"));
    QCOMPARE(find(panel, "chStatus", row)->property("color").value<QColor>(),
             panel.property("status_color_default").value<QColor>());
    Panel::run(300); // the alert strip settles
    grab(panel.view(),
         channelView ? QStringLiteral("zandor-channel-unknown.png")
                     : QStringLiteral("zandor-list-unknown.png"));

    // A press asks the supply and writes nothing.
    const int before = supply.received().size();
    QTest::mouseClick(&panel.view(), Qt::LeftButton, {}, centre);
    QCOMPARE(alerts(raised).last(),
             QStringLiteral("notSwitched|NOT SWITCHED: STATE OF OUTPUT OF CHANNEL 1 NOT KNOWN "
                            "YET|warning"));
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QList<QJsonValue> in = supply.received().mid(before);
                return std::any_of(in.cbegin(), in.cend(), [](const QJsonValue &frame) {
                    const QJsonArray packets = requestPackets(frame);
                    return std::any_of(packets.cbegin(), packets.cend(), [](const QJsonValue &p) {
                        return describe(p) == QLatin1String("getItem 0 0 1 Control.on");
                    });
                });
            }(),
            3000);
    QVERIFY2(clock.elapsed() < 7500, "the press came after the late switch");
    QCOMPARE(switching(supply, "1"), QStringList({ "1" }));

    // The late switch: the box follows the supply.
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.1", "Control.on"), QStringLiteral("1"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(text(find(panel, "chStatusText", row)) != QStringLiteral("\u2014")
                                     && text(find(panel, "chStatusText", row))
                                             != QStringLiteral("OFF"),
                             3000);
    Panel::run(500);
    QCOMPARE(switching(supply, "1"), QStringList({ "1" }));
}

void tst_Link::setValueOutOfRange_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("warning");
    QTest::newRow("refused") << QStringList() << QStringLiteral("0")
                             << QStringLiteral("warning|VOLTAGE SET OF CHANNEL 0 NOT CONFIRMED, "
                                               "THE SUPPLY REPORTED: ");
    QTest::newRow("clamped") << QStringList({ QStringLiteral("--clamp") }) << QStringLiteral("6000")
                             << QStringLiteral("warning|VOLTAGE OF CHANNEL 0 SET TO 6000 V, NOT "
                                               "7000 V|warning");
}

// 7000 V on a 6000 V channel: the supply refuses it with an error, or takes
// its limit instead; the panel shows the supply's value and says which.
void tst_Link::setValueOutOfRange()
{
    QFETCH(QStringList, options);
    QFETCH(QString, shown);
    QFETCH(QString, warning);
    SupplyProcess supply(options);
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.0", "Control.voltageSet"), QStringLiteral("0"),
                              10000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.voltageSet", "7000", "V" }),
             QVariant(true));
    QTRY_VERIFY_WITH_TIMEOUT(alerts(raised).filter(QStringLiteral("VOLTAGE")).size() == 1, 8000);
    QVERIFY2(alerts(raised).filter(QStringLiteral("VOLTAGE")).first().startsWith(warning),
             qPrintable(alerts(raised).join('\n')));
    QCOMPARE(value(panel, "0.0.0", "Control.voltageSet"), shown);
    QCOMPARE(text(find(panel, "vset", "0.0.0")), shown + QStringLiteral(" V"));

    // A value in range is taken without a word.
    raised.clear();
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.voltageSet", "1.5", "kV" }),
             QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.0", "Control.voltageSet"), QStringLiteral("1500"),
                              3000);
    Panel::run(5500);
    QCOMPARE(alerts(raised), QStringList());
}

// A supply stopped under the link, which still counts itself logged in: the
// write goes out into a socket nobody reads, and ends in a warning that
// names it, by its own time-out or the link's.
void tst_Link::writeToASilentSupplyWarns()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    supply.pause();
    QVERIFY(panel.property("connected").toBool());
    QCOMPARE(panel.call("setItemValue", { "0.0.2", "Control.currentSet", "1", "mA" }),
             QVariant(true));
    QTRY_VERIFY_WITH_TIMEOUT(!alerts(raised).filter(QStringLiteral("CURRENT SET")).isEmpty(), 8000);
    const QStringList warnings = alerts(raised).filter(QStringLiteral("CURRENT SET"));
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.first()
                             == QLatin1String("warning|CURRENT SET OF CHANNEL 2 NOT CONFIRMED, "
                                              "LINK LOST BEFORE THE SUPPLY ANSWERED|warning")
                     || warnings.first()
                             == QLatin1String("warning|CURRENT SET OF CHANNEL 2 NOT CONFIRMED BY "
                                              "THE SUPPLY|warning"),
             qPrintable(warnings.first()));
    supply.resume();
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    Panel::run(1000);
    QCOMPARE(alerts(raised).filter(QStringLiteral("CURRENT SET")), warnings);
}

// A reset whose frame dies with the supply, and a login again within the
// reset's time-out: the refresh reads the reset item back as "0", which
// must not pass for the answer to a reset of the lost login.
void tst_Link::lostResetNeverSucceeds()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port);
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    const QString success
            = QStringLiteral("success|RESET SUCCESSFUL. STANDARD VALUES HAVE BEEN SET|ok");
    // Once answered, so that the reset item is among the values read again.
    panel.command("SetValuesReset");
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised), QStringList({ success }), 5000);
    raised.clear();

    supply.pause();
    panel.command("SetValuesReset");
    QElapsedTimer clock;
    clock.start();
    supply.kill();
    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(
            panel.call("isItemCurrent", { "0.0", "Control.setValuesReset" }).toBool(), 3000);
    QVERIFY2(clock.elapsed() < 5000, "logged in again only after the reset's time-out");
    Panel::run(6000 - int(clock.elapsed()));
    QCOMPARE(alerts(raised).filter(QStringLiteral("RESET")),
             QStringList({ "warning|RESET OF THE SET VALUES NOT CONFIRMED, LINK LOST BEFORE THE "
                           "SUPPLY ANSWERED|warning" }));
    // Only the first reset ever reached a supply; none is sent again.
    QCOMPARE(supply.writes().filter(QStringLiteral("Control.setValuesReset")).size(), 1);
}

// A standby change in the settings during an outage: refused, the local
// file unchanged, and the supply's value shown again after the link returns.
void tst_Link::settingChangedOfflineIsRefused()
{
    SupplyProcess supply({ QStringLiteral("--standby"), QStringLiteral("10") });
    QVERIFY(supply.start());
    const quint16 port = supply.port();
    Panel panel(port);
    const QString standby = QStringLiteral("hardwareConfig/device@id=0-0/@displayStandby");
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getConfigValue", { standby }).toString(),
                              QStringLiteral("10"), 10000);
    // Written once while logged in, so that the local file exists once
    // the supply's configuration confirms it.
    QCOMPARE(panel.call("setConfigValue", { standby, "10", "" }), QVariant(true));
    QFile file(QStringLiteral("lumaConfiguration.xml"));
    QTRY_VERIFY_WITH_TIMEOUT(file.exists(), 5000);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    const QList<QJsonValue> sentBefore = supply.received();
    const int changesBefore = supply.writes().filter("configurationChanged").size();

    supply.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);
    QCOMPARE(panel.call("setConfigValue", { standby, "3", "" }), QVariant(false));
    QCOMPARE(panel.call("getConfigValue", { standby }).toString(), QStringLiteral("10"));
    QCOMPARE(alerts(raised),
             QStringList({ "notSent|NOT CONNECTED: SETTING DISPLAY STANDBY NOT SENT|warning" }));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    file.close();

    QVERIFY(supply.start(port));
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    Panel::run(2000);
    QCOMPARE(panel.call("getConfigValue", { standby }).toString(), QStringLiteral("10"));
    QCOMPARE(count(supply.received(), "setConfig"), count(sentBefore, "setConfig"));
    QCOMPARE(supply.writes().filter("configurationChanged").size(), changesBefore);
}

// The XML of every "setConfig" the supply received.
static QStringList sentConfigurations(const SupplyProcess &supply)
{
    QStringList result;
    for (const QJsonValue &frame : supply.received()) {
        const QJsonObject envelope = frame.toObject();
        if (envelope.value("t").toString() == QLatin1String("setConfig"))
            result << QString::fromUtf8(
                    QByteArray::fromBase64(envelope.value("d").toString().toLatin1()));
    }
    return result;
}

static QByteArray fileContents()
{
    QFile file(QStringLiteral("lumaConfiguration.xml"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

static const QString standbyPath = QStringLiteral("hardwareConfig/device@id=0-0/@displayStandby");

// A setting the supply takes is saved once its configuration shows it; one
// it does not take (a polarity relay under voltage) leaves the file as it
// was and says so.
void tst_Link::settingTheSupplyRefusesLeavesTheFile()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getConfigValue", { standbyPath }).toString(),
                              QStringLiteral("10"), 10000);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    QCOMPARE(panel.call("setConfigValue", { standbyPath, "4", "" }), QVariant(true));
    QVERIFY(!fileContents().contains("displayStandby=\"4\""));
    QTRY_VERIFY_WITH_TIMEOUT(fileContents().contains("displayStandby=\"4\""), 5000);
    const QByteArray taken = fileContents();

    const QString polarity = QStringLiteral("hardwareConfig/device@id=0-0/channel@id=0/@polarity");
    QCOMPARE(panel.call("getConfigValue", { polarity }).toString(), QStringLiteral("p"));
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.on", "1", "" }), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(value(panel, "0.0.0", "Control.on"), QStringLiteral("1"), 5000);
    QCOMPARE(panel.call("setConfigValue", { polarity, "n", "cfgItemChPolarity@" + polarity }),
             QVariant(true));
    QCOMPARE(panel.call("getObjectState", { "cfgItemChPolarity@" + polarity }).toString(),
             QStringLiteral("active"));
    QTRY_VERIFY_WITH_TIMEOUT(
            alerts(raised).contains("warning|SETTING POLARITY NOT TAKEN BY THE SUPPLY|warning"),
            8000);
    QCOMPARE(panel.call("getConfigValue", { polarity }).toString(), QStringLiteral("p"));
    QCOMPARE(panel.call("getObjectState", { "cfgItemChPolarity@" + polarity }).toString(),
             QStringLiteral("error"));
    QCOMPARE(fileContents(), taken);
    // The supply saw the setting and said why it refused it.
    QVERIFY(sentConfigurations(supply).last().contains("polarity=\"n\""));
    QVERIFY(alerts(raised).filter(QRegularExpression("^error\\|")).size() == 1);
    QVERIFY(!alerts(raised).join('\n').contains("SETTING DISPLAY STANDBY"));
}

// A supply that stops answering while the link still counts itself
// logged in: the setting ends in a warning, and neither the store nor the
// file keeps a value the supply never confirmed.
void tst_Link::settingOnADeadSocketEndsInAWarning()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getConfigValue", { standbyPath }).toString(),
                              QStringLiteral("10"), 10000);
    QCOMPARE(panel.call("setConfigValue", { standbyPath, "5", "" }), QVariant(true));
    QTRY_VERIFY_WITH_TIMEOUT(fileContents().contains("displayStandby=\"5\""), 5000);
    const QByteArray saved = fileContents();
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));

    supply.pause();
    QCOMPARE(panel.call("setConfigValue", { standbyPath, "7", "" }), QVariant(true));
    QVERIFY(panel.property("connected").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(
            !alerts(raised).filter("SETTING DISPLAY STANDBY NOT CONFIRMED").isEmpty(), 8000);
    QCOMPARE(alerts(raised).filter("SETTING DISPLAY STANDBY").size(), 1);
    QCOMPARE(panel.call("getConfigValue", { standbyPath }).toString(), QStringLiteral("5"));
    QCOMPARE(fileContents(), saved);
    supply.resume();
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    Panel::run(1500);
    QCOMPARE(fileContents(), saved);
}

// Calls a root screen function when the link logs in, before the supply's
// configuration of that login can have arrived.
class AtLogin : public QObject
{
    Q_OBJECT
public:
    AtLogin(Panel &panel, const QVariantList &arguments)
        : m_panel(panel), m_arguments(arguments) { }
    QList<QVariant> results;

public slots:
    void loggedIn() { results << m_panel.call("setConfigValue", m_arguments); }

private:
    Panel &m_panel;
    QVariantList m_arguments;
};

// A supply changed by someone else while the link was down: a setting made
// as the link logs in again is refused, as it would send the copy from
// before the outage; once the new configuration is in, settings go out on
// top of it.
void tst_Link::settingWaitsForThisLoginsConfiguration()
{
    SupplyProcess before({ QStringLiteral("--standby"), QStringLiteral("10") });
    QVERIFY(before.start());
    const quint16 port = before.port();
    Panel panel(port);
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getConfigValue", { standbyPath }).toString(),
                              QStringLiteral("10"), 10000);
    before.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!panel.property("connected").toBool(), 5000);

    const QString brightness = QStringLiteral("hardwareConfig/device@id=0-0/@displayBrightness");
    AtLogin atLogin(panel, { brightness, "2", "" });
    QVERIFY(QObject::connect(panel.child("appendQueue"), SIGNAL(loggedIn()), &atLogin,
                             SLOT(loggedIn())));
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));
    SupplyProcess after({ QStringLiteral("--standby"), QStringLiteral("3") });
    QVERIFY(after.start(port));
    QTRY_COMPARE_WITH_TIMEOUT(panel.call("getConfigValue", { standbyPath }).toString(),
                              QStringLiteral("3"), 10000);
    QCOMPARE(atLogin.results, QList<QVariant>({ QVariant(false) }));
    // Leaving out the withdrawals of the login's first reports.
    QCOMPARE(alerts(raised).filter(QRegularExpression("^[^|]*\\|[^|]+\\|")),
             QStringList({ "notSent|CONFIGURATION NOT READ YET: SETTING DISPLAY BRIGHTNESS NOT "
                           "SENT|warning" }));
    Panel::run(500);
    QVERIFY(sentConfigurations(after).isEmpty());

    QCOMPARE(panel.call("setConfigValue", { brightness, "2", "" }), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(sentConfigurations(after).size(), 1, 3000);
    QVERIFY(sentConfigurations(after).first().contains("displayStandby=\"3\""));
    QVERIFY(sentConfigurations(after).first().contains("displayBrightness=\"2\""));
}

static QStringList fileCommands(const SupplyProcess &supply)
{
    QStringList commands;
    for (const QJsonValue &frame : supply.received()) {
        for (const QJsonValue &packet : requestPackets(frame)) {
            const QString command = packet.toObject().value(QStringLiteral("c")).toString();
            if (command == "downloadFile" || command == "uploadFile" || command == "unmount")
                commands << command;
        }
    }
    return commands;
}

// One USB file command at a time; its wait ends on the supply's word, and
// an error that may belong to a later write leaves it to its warning.
void tst_Link::usbCommandsOneAtATime()
{
    SupplyProcess supply;
    QVERIFY(supply.start());
    Panel panel(supply.port());
    QTRY_VERIFY_WITH_TIMEOUT(panel.property("connected").toBool(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(panel.property("currentView").toString(),
                              QStringLiteral("Channellist"), 10000);
    Panel::run(500);
    QSignalSpy raised(panel.root(), SIGNAL(alert(QString, QString, QString)));

    QCOMPARE(panel.command("saveConfiguration", { { "name", "a.xml" } }), QVariant(true));
    QCOMPARE(panel.command("unmountUsbDevice"), QVariant(false));
    QCOMPARE(alerts(raised), QStringList({ "notSent|USB BUSY: USB UNMOUNT NOT SENT|warning" }));
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised).size(), 2, 3000);
    QVERIFY(alerts(raised).at(1).startsWith("success|"));
    QCOMPARE(fileCommands(supply), QStringList({ "downloadFile" }));

    // Answered: the next goes out; the stick is gone after it.
    QCOMPARE(panel.command("unmountUsbDevice"), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised).size(), 3, 3000);
    QVERIFY(alerts(raised).at(2).startsWith("success|"));

    // Its error, with nothing sent since, ends the wait as a failure.
    QCOMPARE(panel.command("saveConfiguration", { { "name", "b.xml" } }), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised).size(), 5, 3000);
    QVERIFY(alerts(raised).at(4).startsWith("error|CONFIGURATION SAVE TO USB FAILED: "));
    QCOMPARE(panel.command("saveUsbDrivers"), QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised).size(), 7, 3000);
    QVERIFY(alerts(raised).at(6).startsWith("error|USB DRIVER SAVE FAILED: "));

    // A write right after it: the error may be the write's, so it is only
    // shown, and the wait runs on to its warning.
    QCOMPARE(panel.command("saveConfiguration", { { "name", "c.xml" } }), QVariant(true));
    QCOMPARE(panel.call("setItemValue", { "0.0.0", "Control.voltageSet", "100", "V" }),
             QVariant(true));
    QTRY_COMPARE_WITH_TIMEOUT(alerts(raised).size(), 8, 3000);
    QVERIFY(alerts(raised).at(7).startsWith("error|downloadFile"));
    Panel::run(1000);
    QCOMPARE(alerts(raised).size(), 8);
    QCOMPARE(panel.command("unmountUsbDevice"), QVariant(false));
    QTRY_COMPARE_WITH_TIMEOUT(
            alerts(raised).mid(9),
            QStringList(
                    { "warning|CONFIGURATION SAVE TO USB NOT CONFIRMED BY THE SUPPLY|warning" }),
            6000);
    QCOMPARE(fileCommands(supply),
             QStringList({ "downloadFile", "unmount", "downloadFile", "downloadFile",
                           "downloadFile" }));
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
