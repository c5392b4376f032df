#include "config.h"
#include "configstore.h"
#include "server.h"
#include "supply.h"
#include "usbstick.h"

#include <QDateTime>
#include <QDomDocument>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebSocket>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The simulator wired up in-process, with a fast push cycle.
struct Simulator
{
    explicit Simulator(int channels = 4)
        : config(channels, 10),
          supply(channels, 1, 50, &config),
          usb(&supply),
          server(&supply, &usb, nullptr)
    {
        server.listen(QHostAddress::LocalHost, 0);
    }
    ConfigStore config;
    Supply supply;
    UsbStick usb;
    Server server;
};

struct Packet
{
    QString envelope; // "response", "info"
    QJsonObject body;
};

QJsonObject item(const QString &command, const QString &line, const QString &address,
                 const QString &channel, const QString &name, const QJsonValue &value = QString(),
                 const QString &unit = QString())
{
    const QJsonObject path { { "l", line }, { "a", address }, { "c", channel } };
    return { { "c", command },
             { "p", QJsonObject { { "p", path }, { "i", name }, { "v", value }, { "u", unit } } } };
}

QString pathOf(const QJsonObject &packet)
{
    const QJsonObject p = packet.value("d").toObject().value("p").toObject();
    QString path = p.value("l").toString();
    if (!p.value("a").toString().isEmpty()) {
        path += '.' + p.value("a").toString();
        if (!p.value("c").toString().isEmpty())
            path += '.' + p.value("c").toString();
    }
    return path;
}

class Client
{
public:
    Client()
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString &text) {
            messages << QJsonDocument::fromJson(text.toUtf8());
        });
    }

    bool open(quint16 port)
    {
        QSignalSpy connected(&socket, &QWebSocket::connected);
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port)));
        return connected.wait(3000);
    }

    void send(const QJsonObject &envelope)
    {
        socket.sendTextMessage(
                QString::fromUtf8(QJsonDocument(envelope).toJson(QJsonDocument::Compact)));
    }

    QString login(const QString &user = "kiwi", const QString &password = "kiwi")
    {
        const int from = messages.size();
        send({ { "i", "" },
               { "t", "login" },
               { "c", QJsonObject { { "l", user }, { "p", password } } },
               { "r", "websocket" } });
        QString ticket;
        waitFor([&] {
            for (int i = from; i < messages.size(); ++i) {
                if (messages.at(i).object().value("t") == "response")
                    ticket = messages.at(i).object().value("i").toString();
            }
            return !ticket.isEmpty();
        });
        return ticket;
    }

    void request(const QString &ticket, const QJsonArray &packets)
    {
        send({ { "i", ticket }, { "t", "request" }, { "c", packets }, { "r", "websocket" } });
    }

    QVector<Packet> packets(int from = 0) const
    {
        QVector<Packet> result;
        for (int i = from; i < messages.size(); ++i) {
            for (const QJsonValue &envelope : messages.at(i).array()) {
                for (const QJsonValue &packet : envelope.toObject().value("c").toArray())
                    result.append({ envelope.toObject().value("t").toString(), packet.toObject() });
            }
        }
        return result;
    }

    // The newest value reported for an item since message number from.
    QString latest(const QString &path, const QString &name, int from = 0) const
    {
        QString value;
        for (const Packet &p : packets(from)) {
            const QJsonObject d = p.body.value("d").toObject();
            if (p.body.value("e") == "itemUpdated" && d.value("i") == name
                && pathOf(p.body) == path)
                value = d.value("v").toString();
        }
        return value;
    }

    // Sends one request and returns the packets of its answer.
    QVector<Packet> exchange(const QString &ticket, const QJsonArray &request)
    {
        const int from = messages.size();
        this->request(ticket, request);
        QVector<Packet> answer;
        waitFor([&] {
            answer.clear();
            for (const Packet &p : packets(from)) {
                if (p.envelope == "response")
                    answer << p;
            }
            return !answer.isEmpty();
        });
        return answer;
    }

    void setConfig(const QString &ticket, const QByteArray &xml)
    {
        send({ { "i", ticket },
               { "t", "setConfig" },
               { "f", "LUMAconfig.xml" },
               { "c", QJsonArray() },
               { "d", QString::fromLatin1(xml.toBase64()) },
               { "r", "websocket" } });
    }

    QVector<Packet> errors(int from) const
    {
        QVector<Packet> result;
        for (const Packet &p : packets(from)) {
            if (p.body.value("e") == "error")
                result << p;
        }
        return result;
    }

    static bool waitFor(const std::function<bool()> &condition, int timeout = 3000)
    {
        QDeadlineTimer deadline(timeout);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(10);
        }
        return true;
    }

    QWebSocket socket;
    QVector<QJsonDocument> messages;
};

// The configuration with one attribute of the configured device (channel
// -1) or of one of its channels changed.
QByteArray edited(const QByteArray &xml, int channel, const QString &attribute,
                  const QString &value)
{
    QDomDocument doc;
    doc.setContent(xml);
    QDomElement element
            = doc.documentElement().firstChildElement("hardwareConfig").firstChildElement("device");
    if (channel >= 0) {
        element = element.firstChildElement("channel");
        while (element.attribute("id") != QString::number(channel))
            element = element.nextSiblingElement("channel");
    }
    element.setAttribute(attribute, value);
    return doc.toByteArray();
}

QString configured(const QByteArray &xml, const QString &path)
{
    Config config;
    config.setConfiguration(QString::fromUtf8(xml));
    return config.getProperty(path);
}

double magnitude(const QString &value)
{
    return std::abs(value.toDouble());
}

} // namespace

class tst_Simulator : public QObject
{
    Q_OBJECT

private slots:
    void login_data();
    void login();
    void staleTicketIgnored();
    void getItem_data();
    void getItem();
    void items_data();
    void items();
    void clampedToRange_data();
    void clampedToRange();
    void rampsToSetValue();
    void constantCurrentAndTrip_data();
    void constantCurrentAndTrip();
    void pushesEveryCycleWhileRamping();
    void rampNeverExceedsSetValue_data();
    void rampNeverExceedsSetValue();
    void noNegativeZero();
    void lowCurrentRange_data();
    void lowCurrentRange();
    void emergencySwitchesOff();
    void switchDelay();
    void slowCycleKeepsLinkAlive();
    void configuration_data();
    void configuration();
    void menuConfigPaths_data();
    void menuConfigPaths();
    void setConfig_data();
    void setConfig();
    void relaysWhileOn_data();
    void relaysWhileOn();
    void setValuesReset();
    void factoryReset();
    void usbStick();
    void malformedFrames_data();
    void malformedFrames();
    void tlsOptionsRefused_data();
    void tlsOptionsRefused();
};

void tst_Simulator::login_data()
{
    QTest::addColumn<QJsonValue>("credentials");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("remote user") << QJsonValue(QJsonObject { { "l", "kiwi" }, { "p", "kiwi" } })
                                 << true;
    QTest::newRow("panel user") << QJsonValue(
            QJsonObject { { "l", "_PANEL_" }, { "p", "_PANEL_" } })
                                << true;
    QTest::newRow("wrong password")
            << QJsonValue(QJsonObject { { "l", "kiwi" }, { "p", "_PANEL_" } }) << false;
    QTest::newRow("unknown user") << QJsonValue(QJsonObject { { "l", "admin" }, { "p", "kiwi" } })
                                  << false;
    QTest::newRow("empty") << QJsonValue(QJsonObject { { "l", "" }, { "p", "" } }) << false;
    QTest::newRow("numbers") << QJsonValue(QJsonObject { { "l", 1 }, { "p", 1 } }) << false;
    QTest::newRow("no credentials") << QJsonValue(QJsonArray()) << false;
}

void tst_Simulator::login()
{
    QFETCH(QJsonValue, credentials);
    QFETCH(bool, accepted);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    QSignalSpy closed(&client.socket, &QWebSocket::disconnected);
    client.send({ { "i", "" }, { "t", "login" }, { "c", credentials }, { "r", "websocket" } });

    if (accepted) {
        QVERIFY(Client::waitFor([&] { return !client.messages.isEmpty(); }));
        const QJsonObject answer = client.messages.first().object();
        QCOMPARE(answer.keys(), QStringList({ "i", "t" }));
        QCOMPARE(answer.value("t").toString(), QString("response"));
        QVERIFY(!answer.value("i").toString().isEmpty());
        QTRY_COMPARE(sim.supply.items().value("", "Status.connectedClients"), QString("1"));
    } else {
        QVERIFY(closed.wait(3000));
        QCOMPARE(client.socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
        QCOMPARE(client.socket.closeReason(), QString("login refused"));
        QVERIFY(client.messages.isEmpty());
    }
}

void tst_Simulator::staleTicketIgnored()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    client.request("", { item("getItem", "", "", "", "Status.canState") });
    const QString first = client.login();
    const QString second = client.login();
    QVERIFY(!first.isEmpty());
    QVERIFY(!second.isEmpty());
    QVERIFY(first != second);

    Client other;
    QVERIFY(other.open(sim.server.port()));
    const QString foreign = other.login("_PANEL_", "_PANEL_");

    const int from = client.messages.size();
    client.request(first, { item("getItem", "", "", "", "Status.lumaVersion") });
    client.request(foreign, { item("getItem", "", "", "", "Status.canText") });
    client.request(second, { item("getItem", "", "", "", "Setup.cycleTime") });
    QVERIFY(Client::waitFor([&] { return !client.latest("", "Setup.cycleTime", from).isEmpty(); }));
    for (const Packet &p : client.packets()) {
        if (p.envelope == "response")
            QCOMPARE(p.body.value("d").toObject().value("i").toString(),
                     QString("Setup.cycleTime"));
    }
    QVERIFY(client.errors(0).isEmpty());
}

void tst_Simulator::getItem_data()
{
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("unit");
    const QStringList channels { "0.0.0", "0.0.1", "0.0.2", "0.0.3" };
    QTest::newRow("service") << QStringList { "", "", "" } << "Setup.cycleTime"
                             << QStringList { "" } << "ms";
    QTest::newRow("device") << QStringList { "0", "0", "" } << "Status.temperature"
                            << QStringList { "0.0" } << "°C";
    QTest::newRow("one channel") << QStringList { "0", "0", "2" } << "Control.voltageSet"
                                 << QStringList { "0.0.2" } << "V";
    QTest::newRow("all channels") << QStringList { "*", "*", "*" } << "Status.currentMeasure"
                                  << channels << "mA";
    QTest::newRow("channel wildcard")
            << QStringList { "0", "0", "*" } << "Control.voltageRampspeedUp" << channels << "V/s";
    QTest::newRow("device wildcard")
            << QStringList { "*", "*", "" } << "Status.on" << QStringList { "0.0" } << "";
    QTest::newRow("channel without address")
            << QStringList { "0", "", "1" } << "Status.on" << QStringList() << "";
    QTest::newRow("no such channel")
            << QStringList { "0", "0", "7" } << "Control.on" << QStringList() << "";
    QTest::newRow("no such item") << QStringList { "*", "*", "*" } << "Status.noSuchThing"
                                  << QStringList() << "";
    QTest::newRow("device item on a channel")
            << QStringList { "0", "0", "1" } << "Status.temperature" << QStringList() << "";
}

void tst_Simulator::getItem()
{
    QFETCH(QStringList, address);
    QFETCH(QString, name);
    QFETCH(QStringList, paths);
    QFETCH(QString, unit);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const int from = client.messages.size();
    client.request(ticket, { item("getItem", address[0], address[1], address[2], name) });
    QVERIFY(Client::waitFor([&] {
        for (int i = from; i < client.messages.size(); ++i) {
            if (client.messages.at(i).array().first().toObject().value("t") == "response")
                return true;
        }
        return false;
    }));

    QStringList answered;
    for (const Packet &p : client.packets(from)) {
        if (p.envelope != "response")
            continue;
        if (paths.isEmpty()) {
            QCOMPARE(p.body.value("e").toString(), QString("error"));
            QVERIFY(p.body.value("v").toString().contains(name)
                    || p.body.value("v").toString().contains("no item"));
            continue;
        }
        const QJsonObject d = p.body.value("d").toObject();
        QCOMPARE(p.body.value("e").toString(), QString("itemUpdated"));
        QCOMPARE(d.value("i").toString(), name);
        QCOMPARE(d.value("u").toString(), unit);
        QVERIFY(d.value("v").isString());
        const double time = d.value("t").toString().toDouble();
        QVERIFY(qAbs(time - QDateTime::currentMSecsSinceEpoch() / 1000.0) < 60);
        answered << pathOf(p.body);
    }
    QCOMPARE(answered, paths);
}

void tst_Simulator::items_data()
{
    // A get (value null) or a set, then the answer: the stored value as a
    // pattern and its unit, or an error with the old value kept.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedUnit");
    QTest::addColumn<bool>("accepted");
    const QJsonValue get;
    const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("hardware voltage limit") << "0.0"
                                  << "Status.voltageLimit" << get << ""
                                  << "6000"
                                  << "V" << true;
    row("hardware current limit") << "0.0"
                                  << "Status.currentLimit" << get << ""
                                  << "8"
                                  << "mA" << true;
    row("channel voltage limit") << "0.0.2"
                                 << "Status.voltageLimit" << get << ""
                                 << "6000"
                                 << "V" << true;
    row("channel current limit") << "0.0.2"
                                 << "Status.currentLimit" << get << ""
                                 << "4"
                                 << "mA" << true;
    row("negative voltage mode") << "0.0.1"
                                 << "Status.voltageMode" << get << ""
                                 << "-6000"
                                 << "V" << true;
    row("current mode") << "0.0.1"
                        << "Status.currentMode" << get << ""
                        << "4"
                        << "mA" << true;
    row("voltage ramp min") << "0.0.0"
                            << "Status.voltageRampspeedMin" << get << ""
                            << "1"
                            << "V/s" << true;
    row("voltage ramp max") << "0.0.0"
                            << "Status.voltageRampspeedMax" << get << ""
                            << "1200"
                            << "V/s" << true;
    row("current ramp min") << "0.0.0"
                            << "Status.currentRampspeedMin" << get << ""
                            << "0.001"
                            << "mA/s" << true;
    row("current ramp max") << "0.0.0"
                            << "Status.currentRampspeedMax" << get << ""
                            << "1"
                            << "mA/s" << true;
    row("temperature") << "0.0"
                       << "Status.temperature" << get << ""
                       << "[2-4][0-9]\\.[0-9]"
                       << "°C" << true;
    row("luma version") << ""
                        << "Status.lumaVersion" << get << ""
                        << "\\d+\\.\\d+\\.\\d+.*"
                        << "" << true;
    row("clients") << ""
                   << "Status.connectedClients" << get << ""
                   << "1"
                   << "" << true;
    row("can state") << ""
                     << "Status.canState" << get << ""
                     << "ok"
                     << "" << true;
    row("can text") << ""
                    << "Status.canText" << get << ""
                    << ".+"
                    << "" << true;
    row("date") << ""
                << "System.date" << get << ""
                << "20\\d\\d-\\d\\d-\\d\\d"
                << "" << true;
    row("time") << ""
                << "System.time" << get << ""
                << "\\d\\d:\\d\\d:\\d\\d"
                << "" << true;

    row("kill enabled") << "0.0"
                        << "Control.kill" << QJsonValue("1") << ""
                        << "1"
                        << "" << true;
    row("kill 2") << "0.0"
                  << "Control.kill" << QJsonValue("2") << ""
                  << "0"
                  << "" << false;
    row("kill on a channel") << "0.0.1"
                             << "Control.kill" << QJsonValue("1") << ""
                             << ""
                             << "" << false;
    row("adjustment disabled") << "0.0"
                               << "Control.adjustment" << QJsonValue(0) << ""
                               << "0"
                               << "" << true;
    row("adjustment text") << "0.0"
                           << "Control.adjustment" << QJsonValue("on") << ""
                           << "1"
                           << "" << false;
    row("voltage ramp") << "0.0.1"
                        << "Control.voltageRampspeedUp" << QJsonValue("250.00") << "V/s"
                        << "250"
                        << "V/s" << true;
    row("voltage ramp in kV/s") << "0.0.1"
                                << "Control.voltageRampspeedDown" << QJsonValue("0.5") << "kV/s"
                                << "500"
                                << "V/s" << true;
    row("voltage ramp above max") << "0.0.1"
                                  << "Control.voltageRampspeedUp" << QJsonValue("1200.01") << "V/s"
                                  << "100"
                                  << "V/s" << false;
    row("voltage ramp below min") << "0.0.1"
                                  << "Control.voltageRampspeedDown" << QJsonValue("0.99") << "V/s"
                                  << "100"
                                  << "V/s" << false;
    row("current ramp") << "0.0.3"
                        << "Control.currentRampspeedUp" << QJsonValue("0.500") << "mA/s"
                        << "0.5"
                        << "mA/s" << true;
    row("current ramp in µA/s") << "0.0.3"
                                << "Control.currentRampspeedDown" << QJsonValue("200") << "µA/s"
                                << "0.2"
                                << "mA/s" << true;
    row("current ramp above max") << "0.0.3"
                                  << "Control.currentRampspeedUp" << QJsonValue("1.001") << "mA/s"
                                  << "0.1"
                                  << "mA/s" << false;
    row("current ramp in V/s") << "0.0.3"
                               << "Control.currentRampspeedUp" << QJsonValue("0.5") << "V/s"
                               << "0.1"
                               << "mA/s" << false;
    row("voltage at the limit") << "0.0.0"
                                << "Control.voltageSet" << QJsonValue("6000.000") << "V"
                                << "6000"
                                << "V" << true;
    row("voltage above the limit") << "0.0.0"
                                   << "Control.voltageSet" << QJsonValue("6000.001") << "V"
                                   << "0"
                                   << "V" << false;
    row("negative voltage, negative channel")
            << "0.0.1"
            << "Control.voltageSet" << QJsonValue("-0500.000") << "V"
            << "500"
            << "V" << true;
    row("negative voltage, positive channel") << "0.0.0"
                                              << "Control.voltageSet" << QJsonValue("-5") << "V"
                                              << "0"
                                              << "V" << false;
    row("current in µA") << "0.0.0"
                         << "Control.currentSet" << QJsonValue("500") << "µA"
                         << "0.5"
                         << "mA" << true;
    row("current above the mode") << "0.0.0"
                                  << "Control.currentSet" << QJsonValue("4.0001") << "mA"
                                  << "4"
                                  << "mA" << false;
    row("trip action") << "0.0.2"
                       << "Setup.delayedTripAction" << QJsonValue("4") << ""
                       << "4"
                       << "" << true;
    row("trip action 3") << "0.0.2"
                         << "Setup.delayedTripAction" << QJsonValue("3") << ""
                         << "0"
                         << "" << false;
    row("trip time max") << "0.0.2"
                         << "Setup.delayedTripTime" << QJsonValue("4095") << "ms"
                         << "4095"
                         << "ms" << true;
    row("trip time in s") << "0.0.2"
                          << "Setup.delayedTripTime" << QJsonValue("1.5") << "s"
                          << "1500"
                          << "ms" << true;
    row("trip time 0") << "0.0.2"
                       << "Setup.delayedTripTime" << QJsonValue("0") << "ms"
                       << "100"
                       << "ms" << false;
    row("trip time above max") << "0.0.2"
                               << "Setup.delayedTripTime" << QJsonValue("4096") << "ms"
                               << "100"
                               << "ms" << false;
    row("trip time fraction") << "0.0.2"
                              << "Setup.delayedTripTime" << QJsonValue("2.5") << "ms"
                              << "100"
                              << "ms" << false;
    row("set date") << ""
                    << "System.date" << QJsonValue("2031-02-03") << ""
                    << "2031-02-03"
                    << "" << true;
    row("set date 30 Feb") << ""
                           << "System.date" << QJsonValue("2031-02-30") << ""
                           << "20\\d\\d-.*"
                           << "" << false;
    row("set time") << ""
                    << "System.time" << QJsonValue("13:00:04") << ""
                    << "13:00:0[45]"
                    << "" << true;
    row("set time 24 h") << ""
                         << "System.time" << QJsonValue("24:00:00") << ""
                         << ".+"
                         << "" << false;
    row("date at the device") << "0.0"
                              << "System.date" << QJsonValue("2031-02-03") << ""
                              << ""
                              << "" << false;
    row("temperature read-only") << "0.0"
                                 << "Status.temperature" << QJsonValue("20") << "°C"
                                 << "[2-4][0-9]\\.[0-9]"
                                 << "°C" << false;
    row("voltage limit read-only") << "0.0.0"
                                   << "Status.voltageLimit" << QJsonValue("7000") << "V"
                                   << "6000"
                                   << "V" << false;
}

void tst_Simulator::items()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QJsonValue, value);
    QFETCH(QString, unit);
    QFETCH(QString, expected);
    QFETCH(QString, expectedUnit);
    QFETCH(bool, accepted);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const QStringList levels = path.isEmpty() ? QStringList() : path.split('.');
    const auto packet = [&](const QString &command, const QJsonValue &v) {
        return item(command, levels.value(0), levels.value(1), levels.value(2), name, v, unit);
    };

    const int from = client.messages.size();
    if (!value.isNull()) {
        const QVector<Packet> answer = client.exchange(ticket, { packet("setItem", value) });
        QCOMPARE(answer.size(), 1);
        QCOMPARE(answer.first().body.value("e").toString(),
                 QString(accepted ? "itemUpdated" : "error"));
    }
    const QVector<Packet> read = client.exchange(ticket, { packet("getItem", QString()) });
    QCOMPARE(read.size(), 1);
    if (expected.isEmpty()) {
        // No such item at this level.
        QCOMPARE(read.first().body.value("e").toString(), QString("error"));
        return;
    }
    const QJsonObject d = read.first().body.value("d").toObject();
    QCOMPARE(pathOf(read.first().body), path);
    QVERIFY2(QRegularExpression("^(" + expected + ")$").match(d.value("v").toString()).hasMatch(),
             qPrintable(d.value("v").toString()));
    QCOMPARE(d.value("u").toString(), expectedUnit);
    QCOMPARE(client.errors(from).size(), accepted ? 0 : 1);
}

void tst_Simulator::clampedToRange_data()
{
    // A set on channel 0, then what a clamping supply reports: the nearest
    // limit in the item's unit, or the value itself when it is in range.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected");
    QTest::newRow("voltage above the limit") << "Control.voltageSet"
                                             << "7000"
                                             << "V"
                                             << "6000";
    QTest::newRow("voltage above, in kV") << "Control.voltageSet"
                                          << "6.5"
                                          << "kV"
                                          << "6000";
    QTest::newRow("voltage below zero") << "Control.voltageSet"
                                        << "-10"
                                        << "V"
                                        << "0";
    QTest::newRow("voltage in range") << "Control.voltageSet"
                                      << "1234"
                                      << "V"
                                      << "1234";
    QTest::newRow("current above the limit") << "Control.currentSet"
                                             << "9"
                                             << "mA"
                                             << "4";
    QTest::newRow("ramp above its maximum") << "Control.voltageRampspeedUp"
                                            << "5000"
                                            << "V/s"
                                            << "1200";
    QTest::newRow("ramp below its minimum") << "Control.currentRampspeedDown"
                                            << "0.0001"
                                            << "mA/s"
                                            << "0.001";
}

void tst_Simulator::clampedToRange()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(QString, expected);
    Simulator sim;
    sim.supply.setClampToRange(true);
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const int from = client.messages.size();
    const QVector<Packet> answer
            = client.exchange(ticket, { item("setItem", "0", "0", "0", name, value, unit) });
    QCOMPARE(answer.size(), 1);
    QCOMPARE(answer.first().body.value("e").toString(), QString("itemUpdated"));
    QCOMPARE(answer.first().body.value("d").toObject().value("v").toString(), expected);
    QCOMPARE(client.errors(from).size(), 0);
}

void tst_Simulator::rampsToSetValue()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const int from = client.messages.size();
    client.request(ticket,
                   { item("setItem", "0", "0", "0", "Control.voltageRampspeedUp", "1200", "V/s"),
                     item("setItem", "0", "0", "0", "Control.voltageSet", "0.6", "kV"),
                     item("setItem", "0", "0", "0", "Control.on", 1) });
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.0", "Status.runningState", from) == "info"; }));
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.0", "Status.runningState", from) == "ok"; }));
    QCOMPARE(client.latest("0.0.0", "Control.voltageSet", from), QString("600"));
    QVERIFY(Client::waitFor([&] {
        return qAbs(client.latest("0.0.0", "Status.voltageMeasure", from).toDouble() - 600) < 0.1;
    }));
    QCOMPARE(client.latest("0.0.0", "Status.on", from), QString("1"));
    QCOMPARE(client.latest("0.0.0", "Status.constantVoltage", from), QString("1"));
    QVERIFY(client.latest("0.0.0", "Status.currentMeasure", from).toDouble() > 0);
    QCOMPARE(sim.supply.items().value("0.0", "Status.on"), QString("1"));
    QVERIFY(client.errors(from).isEmpty());
}

void tst_Simulator::constantCurrentAndTrip_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("kill");
    QTest::addColumn<QString>("onAfterTrip");
    QTest::addColumn<QString>("errors");
    QTest::addColumn<QString>("runningState");
    QTest::newRow("no action") << 0 << 0 << "1"
                               << "0"
                               << "ok";
    QTest::newRow("ramp down") << 1 << 0 << "0"
                               << "1"
                               << "error";
    QTest::newRow("shut down") << 2 << 0 << "0"
                               << "1"
                               << "error";
    QTest::newRow("no action, KILL enabled") << 0 << 1 << "0"
                                             << "1"
                                             << "error";
}

void tst_Simulator::constantCurrentAndTrip()
{
    QFETCH(int, action);
    QFETCH(int, kill);
    QFETCH(QString, onAfterTrip);
    QFETCH(QString, errors);
    QFETCH(QString, runningState);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const int from = client.messages.size();
    // 1 µA cannot drive 1000 V into any realistic load.
    client.request(
            ticket,
            { item("setItem", "0", "0", "", "Control.kill", kill),
              item("setItem", "0", "0", "1", "Setup.delayedTripAction", QString::number(action)),
              item("setItem", "0", "0", "1", "Setup.delayedTripTime", "200", "ms"),
              item("setItem", "0", "0", "1", "Control.voltageRampspeedUp", "1200"),
              item("setItem", "0", "0", "1", "Control.currentSet", "1", "µA"),
              item("setItem", "0", "0", "1", "Control.voltageSet", "1000"),
              item("setItem", "0", "0", "1", "Control.on", 1) });
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.1", "Status.constantCurrent", from) == "1"; }));
    QCOMPARE(client.latest("0.0.1", "Control.currentSet", from), QString("0.001"));
    QCOMPARE(sim.supply.items().value("0.0.1", "Status.constantVoltage"), QString("0"));
    QVERIFY(qAbs(magnitude(client.latest("0.0.1", "Status.currentMeasure", from)) - 0.001) < 1e-4);
    QVERIFY(magnitude(client.latest("0.0.1", "Status.voltageMeasure", from)) < 999);

    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.1", "Event.currentTrip", from) == "1"; }));
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.1", "Status.runningState", from) == runningState; }));
    QCOMPARE(sim.supply.items().value("0.0.1", "Control.on"), onAfterTrip);
    QCOMPARE(sim.supply.items().value("0.0.1", "Status.currentTrip"), QString("1"));
    QCOMPARE(sim.supply.items().value("0.0.1", "Error.currentTrip"), errors);
    QCOMPARE(sim.supply.items().value("0.0.1", "Status.eventCounter"), QString("1"));
    QCOMPARE(sim.supply.items().value("0.0.1", "Status.errorCounter"), errors);
    QCOMPARE(sim.supply.items().value("0.0", "Status.eventCounter"), QString("1"));

    const int cleared = client.messages.size();
    client.request(ticket, { item("setItem", "0", "0", "", "Control.clearAll", 1) });
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0", "Status.eventCounter", cleared) == "0"; }));
    for (const char *name : { "Event.currentTrip", "Error.currentTrip", "Status.currentTrip",
                              "Status.eventCounter", "Status.errorCounter" })
        QCOMPARE(sim.supply.items().value("0.0.1", name), QString("0"));
    QCOMPARE(sim.supply.items().value("0.0", "Status.errorCounter"), QString("0"));
    QVERIFY(client.errors(from).isEmpty());
}

void tst_Simulator::pushesEveryCycleWhileRamping()
{
    Simulator sim; // 50 ms cycle, as the oscilloscope asks for
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    client.request(ticket,
                   { item("setItem", "0", "0", "*", "Control.voltageRampspeedUp", "100"),
                     item("setItem", "0", "0", "0", "Control.voltageSet", "1000"),
                     item("setItem", "0", "0", "1", "Control.voltageSet", "1000"),
                     item("setItem", "0", "0", "0", "Control.on", 1),
                     item("setItem", "0", "0", "1", "Control.on", 1) });
    QVERIFY(Client::waitFor(
            [&] { return sim.supply.items().number("0.0.1", "Status.voltageMeasure") < -5; }));

    const int from = client.messages.size();
    QTest::qWait(1500);
    const int to = client.messages.size();
    int pushes = 0;
    QHash<QString, double> last;
    for (int i = from; i < to; ++i) {
        const QJsonArray batch = client.messages.at(i).array();
        if (batch.isEmpty() || batch.first().toObject().value("t") != "info")
            continue;
        ++pushes;
        QSet<QString> seen;
        for (const QJsonValue &packet : batch.first().toObject().value("c").toArray()) {
            const QJsonObject d = packet.toObject().value("d").toObject();
            const QString key = pathOf(packet.toObject()) + ' ' + d.value("i").toString();
            if (!key.contains("Measure") || !(key.startsWith("0.0.0") || key.startsWith("0.0.1")))
                continue;
            seen << key;
            // Every sample rises and stays within the set value.
            const double value = magnitude(d.value("v").toString());
            QVERIFY2(value <= (key.contains("voltage") ? 1000 : 0.1), qPrintable(key));
            QVERIFY2(value >= last.value(key), qPrintable(key));
            last[key] = value;
        }
        for (const char *key : { "0.0.0 Status.voltageMeasure", "0.0.0 Status.currentMeasure",
                                 "0.0.1 Status.voltageMeasure", "0.0.1 Status.currentMeasure" })
            QVERIFY2(seen.contains(key), key);
    }
    // About 30 cycles; a loaded machine may merge a few.
    QVERIFY2(pushes >= 15 && pushes <= 35, qPrintable(QString::number(pushes)));
    QVERIFY(last.value("0.0.0 Status.voltageMeasure") < 1000);
}

void tst_Simulator::rampNeverExceedsSetValue_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("speed");
    QTest::newRow("123.45 V fast") << 0 << "123.45"
                                   << "1200";
    QTest::newRow("123.45 V fast, negative") << 1 << "123.45"
                                             << "1200";
    QTest::newRow("full scale") << 2 << "6000"
                                << "1200";
    QTest::newRow("0.05 V at 1 V/s") << 3 << "0.05"
                                     << "1";
    QTest::newRow("12.34 V at 1 V/s") << 0 << "12.34"
                                      << "1";
}

void tst_Simulator::rampNeverExceedsSetValue()
{
    QFETCH(int, channel);
    QFETCH(QString, set);
    QFETCH(QString, speed);
    const QString path = Supply::channelPath(channel);
    for (quint32 seed : { 1, 2, 3 }) {
        ConfigStore config(4, 10);
        Supply supply(4, seed, 50, &config);
        QCOMPARE(supply.write({ path, "Control.voltageRampspeedUp" }, speed, "V/s"), QString());
        QCOMPARE(supply.write({ path, "Control.voltageSet" }, set, "V"), QString());
        QCOMPARE(supply.write({ path, "Control.on" }, "1", QString()), QString());
        double previous = 0;
        const int cycles = int(set.toDouble() / speed.toDouble() * 20) + 40;
        for (int i = 0; i < cycles; ++i) {
            supply.step(50);
            const double measured = magnitude(supply.items().value(path, "Status.voltageMeasure"));
            QVERIFY2(measured <= set.toDouble(), qPrintable(QString::number(measured)));
            // Rising while it ramps; settled, the noise may go either way.
            if (supply.items().value(path, "Status.runningState") == "info")
                QVERIFY(measured >= previous);
            previous = measured;
        }
        QCOMPARE(supply.items().value(path, "Status.runningState"), QString("ok"));
        QVERIFY2(previous > set.toDouble() - 0.05, qPrintable(QString::number(previous)));
    }
}

void tst_Simulator::noNegativeZero()
{
    // Negative channels, outputs at and near zero, ramps down to zero: the
    // noise and the sign must never show as "-0.000".
    const QRegularExpression negativeZero("^-0(\\.0*)?$");
    for (quint32 seed = 1; seed <= 20; ++seed) {
        ConfigStore config(4, 10);
        Supply supply(4, seed, 50, &config);
        for (int channel : { 1, 2, 3 }) {
            const QString path = Supply::channelPath(channel);
            supply.write({ path, "Control.voltageSet" }, channel == 3 ? "0.04" : "20", "V");
            supply.write({ path, "Control.on" }, channel == 2 ? "0" : "1", QString());
        }
        for (int i = 0; i < 200; ++i) {
            if (i == 100)
                supply.write({ Supply::channelPath(1), "Control.on" }, "0", QString());
            supply.step(50);
            for (const ItemKey &key : supply.items().takeChanges()) {
                const QString value = supply.items().value(key.path, key.item);
                QVERIFY2(!negativeZero.match(value).hasMatch(),
                         qPrintable(key.path + ' ' + key.item + ' ' + value));
            }
        }
        QCOMPARE(supply.items().value("0.0.1", "Status.on"), QString("0"));
    }
}

void tst_Simulator::lowCurrentRange_data()
{
    QTest::addColumn<QString>("currentSet"); // µA; the mode has 4 mA
    QTest::addColumn<QString>("range");
    QTest::newRow("1 % of the mode") << "40"
                                     << "1";
    QTest::newRow("above 1 %") << "41"
                               << "0";
    QTest::newRow("full") << "4000"
                          << "0";
}

void tst_Simulator::lowCurrentRange()
{
    QFETCH(QString, currentSet);
    QFETCH(QString, range);
    ConfigStore config(4, 10);
    Supply supply(4, 5, 50, &config);
    const QString path = Supply::channelPath(1);
    QCOMPARE(supply.write({ path, "Control.currentSet" }, currentSet, "µA"), QString());
    QCOMPARE(supply.write({ path, "Control.voltageRampspeedUp" }, "1200", "V/s"), QString());
    QCOMPARE(supply.write({ path, "Control.voltageSet" }, "100", "V"), QString());
    QCOMPARE(supply.write({ path, "Control.on" }, "1", QString()), QString());
    for (int i = 0; i < 10; ++i)
        supply.step(50);
    QCOMPARE(supply.items().value(path, "Status.lowCurrentRange"), range);
    // 100 V into 20 MOhm: 5 µA, at 10 nA as in the normal range.
    const QString current = supply.items().value(path, "Status.currentMeasure");
    QCOMPARE(current.section('.', 1).size(), 5);
    QVERIFY2(qAbs(current.toDouble() + 0.005) < 3e-5, qPrintable(current));
}

void tst_Simulator::emergencySwitchesOff()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    client.request(ticket,
                   { item("setItem", "0", "0", "2", "Control.voltageSet", "500"),
                     item("setItem", "0", "0", "2", "Control.on", 1) });
    QTRY_VERIFY(sim.supply.items().number("0.0.2", "Status.voltageMeasure") > 1);

    const int from = client.messages.size();
    client.request(ticket, { item("setItem", "0", "0", "2", "Control.emergency", 1) });
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.2", "Status.runningState", from) == "error"; }));
    QCOMPARE(client.latest("0.0.2", "Control.on", from), QString("0"));
    QVERIFY(magnitude(client.latest("0.0.2", "Status.voltageMeasure", from)) < 1);

    const int refused = client.messages.size();
    client.request(ticket, { item("setItem", "0", "0", "2", "Control.on", 1) });
    QVERIFY(Client::waitFor([&] { return !client.errors(refused).isEmpty(); }));
    QCOMPARE(sim.supply.items().value("0.0.2", "Control.on"), QString("0"));
}

// A loaded supply: switching writes are carried out and answered late,
// in order; other packets of the same request are answered at once.
void tst_Simulator::switchDelay()
{
    Simulator sim;
    sim.server.setSwitchDelay(800);
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    QElapsedTimer clock;
    clock.start();
    const int from = client.messages.size();
    client.request(ticket,
                   { item("setItem", "0", "0", "1", "Control.on", 1),
                     item("setItem", "0", "0", "1", "Control.on", 0),
                     item("setItem", "0", "0", "1", "Control.voltageSet", "100") });
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.1", "Control.voltageSet", from) == "100"; }));
    QVERIFY2(clock.elapsed() < 700, qPrintable(QString::number(clock.elapsed())));
    const auto answers = [&] {
        QStringList values;
        for (const Packet &p : client.packets(from)) {
            const QJsonObject d = p.body.value("d").toObject();
            if (p.envelope == QLatin1String("response") && d.value("i").toString() == "Control.on")
                values << d.value("v").toString();
        }
        return values;
    };
    QCOMPARE(answers(), QStringList());
    QVERIFY(Client::waitFor([&] { return answers().size() == 2; }));
    QVERIFY2(clock.elapsed() >= 750, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(answers(), QStringList({ "1", "0" }));
    QCOMPARE(sim.supply.items().value("0.0.1", "Control.on"), QString("0"));
}

void tst_Simulator::slowCycleKeepsLinkAlive()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    client.request(ticket, { item("setItem", "", "", "", "Setup.cycleTime", 60000) });
    QVERIFY(Client::waitFor([&] { return client.latest("", "Setup.cycleTime") == "60000"; }));

    // Measurements keep changing, but only the keep-alive may go out now.
    const int from = client.messages.size();
    QTest::qWait(2200);
    int keepAlives = 0;
    for (const Packet &p : client.packets(from)) {
        QCOMPARE(p.envelope, QString("info"));
        QCOMPARE(p.body.value("d").toObject().value("i").toString(), QString("System.time"));
        ++keepAlives;
    }
    QVERIFY2(keepAlives >= 1 && keepAlives <= 3, qPrintable(QString::number(keepAlives)));
}

void tst_Simulator::configuration_data()
{
    QTest::addColumn<int>("channels");
    QTest::newRow("one") << 1;
    QTest::newRow("four") << 4;
    QTest::newRow("six") << 6;
}

void tst_Simulator::configuration()
{
    QFETCH(int, channels);
    QTemporaryDir dir;
    const QString record = dir.filePath("frames.jsonl");
    QProcess process;
    process.start(ZANDORSIM,
                  { "--port", "0", "--channels", QString::number(channels), "--standby", "5",
                    "--seed", "7", "--record", record });
    QVERIFY(process.waitForReadyRead(5000));
    const QString banner = QString::fromUtf8(process.readLine()).trimmed();
    QVERIFY2(banner.startsWith("zandorsim listening on 127.0.0.1:"), qPrintable(banner));
    const quint16 port = banner.section(':', -1).toUShort();
    QVERIFY(port != 0);

    Client client;
    QVERIFY(client.open(port));
    const QString ticket = client.login("_PANEL_", "_PANEL_");
    const int from = client.messages.size();
    client.send(
            { { "i", ticket }, { "t", "getConfig" }, { "c", QJsonArray() }, { "r", "websocket" } });
    QVERIFY(Client::waitFor([&] {
        return client.messages.size() > from && client.messages.last().object().contains("file");
    }));
    const QJsonObject answer = client.messages.last().object();
    QCOMPARE(answer.value("file").toString(), QString("lumaConfig.xml"));
    QDomDocument config;
    QVERIFY(config.setContent(QByteArray::fromBase64(answer.value("d").toString().toLatin1())));
    const QDomElement root = config.documentElement();
    QCOMPARE(root.tagName(), QString("lumaConfig"));
    const QDomElement detected
            = root.firstChildElement("hardwareDetect").firstChildElement("device");
    const QDomElement configured
            = root.firstChildElement("hardwareConfig").firstChildElement("device");
    QCOMPARE(detected.attribute("id"), QString("0-0"));
    QCOMPARE(detected.elementsByTagName("channel").size(), channels);
    QCOMPARE(configured.elementsByTagName("channel").size(), channels);
    QCOMPARE(configured.attribute("displayStandby"), QString("5"));
    QVERIFY(!detected.firstChildElement("channel").attribute("voltageModeList").isEmpty());

    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList directions;
    bool ticketRecorded = false;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject entry = QJsonDocument::fromJson(line).object();
        directions << entry.value("dir").toString();
        ticketRecorded = ticketRecorded || entry.value("frame").toString().contains(ticket);
        QVERIFY(entry.value("ms").isDouble());
    }
    QCOMPARE(directions.mid(0, 2), QStringList({ "in", "out" }));
    QVERIFY(ticketRecorded);
}

void tst_Simulator::menuConfigPaths_data()
{
    // Every configuration path the settings menus read, with a value that
    // a believable supply holds there; "%1" is a channel index or "*".
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    const QString config = "hardwareConfig/device@id=0-0/";
    const QString detect = "hardwareDetect/device@id=0-0/";
    const QStringList rows = {
        config + "@adcSampleRate=50",
        config + "@digitalFilter=64",
        config + "@displayBrightness=5",
        config + "@displayStandby=10",
        config + "@vResolution=3",
        config + "@cUnit=mA",
        config + "@cResolution=4",
        config + "@cUnitLCR=µA",
        config + "@cResolutionLCR=4",
        config + "channel@id=%1/@polarity=",
        config + "channel@id=%1/@voltageMode=6000",
        detect + "@adcSampleRate=50",
        detect + "@digitalFilter=64",
        detect + "@model=ZHV-4x6kV",
        detect + "@serial=SIM-000001",
        detect + "@firmwareName=ZHV-FW",
        detect + "@firmwareRelease=",
        detect + "channel@id=%1/@polarity=",
        detect + "channel@id=%1/@voltageMode=6000",
        detect + "channel@id=%1/@voltageModeList=6000,3000",
        detect + "channel@id=%1/@currentModeList=0.004,0.008",
        "ethernet/dhcp=false",
        "ethernet/ip=192.168.0.1",
        "ethernet/mask=255.255.255.0",
        "ethernet/dns=192.168.0.254",
        "ethernet/gateway=192.168.0.254",
        "ethernet/ntp=pool.ntp.org",
        "wifi/enable=false",
        "wifi/ip=10.42.0.1",
        "wifi/ssid=Korvat-LUMA",
        "wifi/channel=1",
        "wifi/password=marigold",
        "LUMAservice/http/enable=true",
        "epics/enable=true",
        "snmp/enable=true",
        "halService/enable=true",
    };
    for (const QString &row : rows) {
        const QString path = row.section('=', 0, -2);
        const QString expected = row.section('=', -1);
        if (!path.contains("%1")) {
            QTest::newRow(qPrintable(path)) << path << expected;
            continue;
        }
        for (const QString channel : { "0", "3", "*" }) {
            const QString resolved = path.arg(channel);
            QTest::newRow(qPrintable(resolved)) << resolved << expected;
        }
    }
}

void tst_Simulator::menuConfigPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    // Read through the panel's own store, as the menus do.
    Simulator sim;
    Config config;
    QVERIFY(config.setConfiguration(QString::fromUtf8(sim.supply.configuration())));
    const QString value = config.getProperty(path);
    if (expected.isEmpty())
        QVERIFY2(!value.isEmpty(), qPrintable(path));
    else
        QCOMPARE(value, expected);
}

void tst_Simulator::setConfig_data()
{
    QTest::addColumn<QJsonValue>("data");
    QTest::addColumn<bool>("accepted");
    const auto encode
            = [](const QByteArray &xml) { return QJsonValue(QString::fromLatin1(xml.toBase64())); };
    QTest::newRow("changed brightness")
            << encode("<lumaConfig><hardwareConfig><device id=\"0-0\" "
                      "displayBrightness=\"9\"/></hardwareConfig></lumaConfig>")
            << true;
    QTest::newRow("not well-formed")
            << encode("<lumaConfig><hardwareConfig></lumaConfig>") << false;
    QTest::newRow("other root") << encode("<config displayBrightness=\"9\"/>") << false;
    QTest::newRow("not base64") << QJsonValue("<lumaConfig/>") << false;
    QTest::newRow("empty") << QJsonValue("") << false;
    QTest::newRow("number") << QJsonValue(42) << false;
}

void tst_Simulator::setConfig()
{
    QFETCH(QJsonValue, data);
    QFETCH(bool, accepted);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const QByteArray before = sim.supply.configuration();

    const int from = client.messages.size();
    client.send({ { "i", ticket },
                  { "t", "setConfig" },
                  { "f", "LUMAconfig.xml" },
                  { "c", QJsonArray() },
                  { "d", data },
                  { "r", "websocket" } });
    client.request(ticket, { item("getItem", "", "", "", "Setup.cycleTime") });
    QVERIFY(Client::waitFor([&] { return !client.latest("", "Setup.cycleTime", from).isEmpty(); }));

    QDomDocument config;
    QVERIFY(config.setContent(sim.supply.configuration()));
    const QDomElement root = config.documentElement();
    QCOMPARE(client.errors(from).size(), accepted ? 0 : 1);
    if (accepted) {
        QCOMPARE(root.firstChildElement("hardwareConfig")
                         .firstChildElement("device")
                         .attribute("displayBrightness"),
                 QString("9"));
        // Detection is the supply's own: it comes back even when left out.
        QCOMPARE(root.firstChildElement("hardwareDetect")
                         .firstChildElement("device")
                         .elementsByTagName("channel")
                         .size(),
                 4);
        QVERIFY(Client::waitFor([&] {
            return !client.latest("", "Control.configurationChanged", from).isEmpty();
        }));
    } else {
        QCOMPARE(sim.supply.configuration(), before);
    }
}

void tst_Simulator::relaysWhileOn_data()
{
    QTest::addColumn<int>("channel"); // -1: the device
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("polarity of the channel on") << 2 << "polarity"
                                                << "n" << false;
    QTest::newRow("output mode of the channel on") << 2 << "voltageMode"
                                                   << "3000" << false;
    QTest::newRow("same polarity of the channel on") << 2 << "polarity"
                                                     << "p" << true;
    QTest::newRow("output mode of a channel off") << 0 << "voltageMode"
                                                  << "3000" << true;
    QTest::newRow("polarity of a channel off") << 3 << "polarity"
                                               << "p" << true;
    QTest::newRow("brightness") << -1 << "displayBrightness"
                                << "9" << true;
}

void tst_Simulator::relaysWhileOn()
{
    QFETCH(int, channel);
    QFETCH(QString, attribute);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    client.request(ticket,
                   { item("setItem", "0", "0", "2", "Control.voltageSet", "100"),
                     item("setItem", "0", "0", "2", "Control.on", 1) });
    QTRY_COMPARE(sim.supply.items().value("0.0.2", "Status.on"), QString("1"));

    const QByteArray before = sim.supply.configuration();
    const QString path = channel < 0
            ? "hardwareConfig/device@id=0-0/@" + attribute
            : QString("hardwareConfig/device@id=0-0/channel@id=%1/@%2").arg(channel).arg(attribute);
    const int from = client.messages.size();
    client.setConfig(ticket, edited(before, channel, attribute, value));
    client.request(ticket, { item("getItem", "", "", "", "Setup.cycleTime") });
    QVERIFY(Client::waitFor([&] { return !client.latest("", "Setup.cycleTime", from).isEmpty(); }));

    QCOMPARE(client.errors(from).size(), accepted ? 0 : 1);
    if (!accepted) {
        QVERIFY(client.errors(from).first().body.value("v").toString().contains("channel 2 is on"));
        QCOMPARE(sim.supply.configuration(), before);
        QCOMPARE(sim.supply.items().value("0.0.2", "Status.voltageMode"), QString("6000"));
        QCOMPARE(sim.supply.items().value("0.0.2", "Setup.outputPolarity"), QString("p"));
        return;
    }
    QCOMPARE(configured(sim.supply.configuration(), path), value);
    if (attribute == "voltageMode") {
        // The relays switched: limits, modes and detection follow.
        const QString at = "0.0." + QString::number(channel);
        QCOMPARE(sim.supply.items().value(at, "Status.voltageMode"), QString("3000"));
        QCOMPARE(sim.supply.items().value(at, "Status.currentMode"), QString("8"));
        QCOMPARE(sim.supply.items().value(at, "Status.voltageLimit"), QString("3000"));
        QCOMPARE(sim.supply.items().value(at, "Status.currentLimit"), QString("8"));
        QCOMPARE(configured(sim.supply.configuration(),
                            QString(path).replace("hardwareConfig", "hardwareDetect")),
                 value);
    } else if (attribute == "polarity") {
        const QString at = "0.0." + QString::number(channel);
        QCOMPARE(sim.supply.items().value(at, "Setup.outputPolarity"), value);
        QCOMPARE(sim.supply.items().value(at, "Status.voltageMode"), QString("6000"));
    }
}

void tst_Simulator::setValuesReset()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    client.setConfig(ticket, edited(sim.supply.configuration(), 3, "voltageMode", "3000"));
    QTRY_COMPARE(sim.supply.items().value("0.0.3", "Status.currentLimit"), QString("8"));
    for (const QString channel : { "0", "1", "2", "3" }) {
        QCOMPARE(
                client.exchange(ticket,
                                { item("setItem", "0", "0", channel, "Control.voltageSet", "250"),
                                  item("setItem", "0", "0", channel, "Control.currentSet", "0.5") })
                        .size(),
                2);
    }
    const int from = client.messages.size();
    const QVector<Packet> answer = client.exchange(
            ticket, { item("setItem", "0", "0", "", "Control.setValuesReset", 1) });
    QCOMPARE(answer.first().body.value("e").toString(), QString("itemUpdated"));
    for (const QString channel : { "0", "1", "2", "3" }) {
        QCOMPARE(sim.supply.items().value("0.0." + channel, "Control.voltageSet"), QString("0"));
        QCOMPARE(sim.supply.items().value("0.0." + channel, "Control.currentSet"),
                 QString(channel == "3" ? "8" : "4"));
    }
    // The panel learns the new set values from the push.
    QVERIFY(Client::waitFor(
            [&] { return client.latest("0.0.3", "Control.currentSet", from) == "8"; }));
    QCOMPARE(client.latest("0.0.0", "Control.voltageSet", from), QString("0"));
    QVERIFY(client.errors(from).isEmpty());
}

void tst_Simulator::factoryReset()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const QByteArray factory = sim.supply.configuration();
    QByteArray changed = edited(factory, -1, "displayBrightness", "9");
    changed = edited(changed, 0, "voltageMode", "3000");
    client.setConfig(ticket, changed);
    QTRY_COMPARE(sim.supply.items().value("0.0.0", "Status.voltageMode"), QString("3000"));
    client.exchange(ticket,
                    { item("setItem", "0", "0", "", "Control.kill", 1),
                      item("setItem", "0", "0", "", "Control.adjustment", 0),
                      item("setItem", "0", "0", "*", "Control.voltageRampspeedUp", "500"),
                      item("setItem", "0", "0", "1", "Control.voltageSet", "20") });

    // The panel's FactoryReset (the device, then the whole system), here in
    // the same request as switching a channel on: refused at once.
    const QJsonArray reset { item("setItem", "0", "0", "", "Control.factoryReset", 1),
                             item("setItem", "", "", "", "Control.factorySystemReset", 1) };
    const QByteArray before = sim.supply.configuration();
    QVector<Packet> answer = client.exchange(
            ticket, { item("setItem", "0", "0", "1", "Control.on", 1), reset[0], reset[1] });
    QCOMPARE(answer.size(), 3);
    QCOMPARE(answer.first().body.value("e").toString(), QString("itemUpdated"));
    for (const Packet &p : answer.mid(1)) {
        QCOMPARE(p.body.value("e").toString(), QString("error"));
        QVERIFY(p.body.value("v").toString().contains("switch all channels off"));
    }
    QTRY_COMPARE(sim.supply.items().value("0.0", "Status.on"), QString("1"));
    answer = client.exchange(ticket, reset);
    QCOMPARE(answer.size(), 2);
    QCOMPARE(answer.last().body.value("e").toString(), QString("error"));
    QCOMPARE(sim.supply.configuration(), before);
    QCOMPARE(sim.supply.items().value("0.0", "Control.kill"), QString("1"));
    QCOMPARE(sim.supply.items().value("0.0.0", "Control.voltageRampspeedUp"), QString("500"));

    client.request(ticket, { item("setItem", "0", "0", "1", "Control.on", 0) });
    QTRY_COMPARE(sim.supply.items().value("0.0", "Status.on"), QString("0"));
    const int from = client.messages.size();
    answer = client.exchange(ticket, reset);
    QCOMPARE(answer.size(), 2);
    QVERIFY(client.errors(from).isEmpty());
    QCOMPARE(configured(sim.supply.configuration(),
                        "hardwareConfig/device@id=0-0/@displayBrightness"),
             QString("5"));
    QCOMPARE(configured(sim.supply.configuration(),
                        "hardwareConfig/device@id=0-0/channel@id=0/@voltageMode"),
             QString("6000"));
    QCOMPARE(sim.supply.items().value("0.0.0", "Status.voltageMode"), QString("6000"));
    QCOMPARE(sim.supply.items().value("0.0", "Control.kill"), QString("0"));
    QCOMPARE(sim.supply.items().value("0.0", "Control.adjustment"), QString("1"));
    QCOMPARE(sim.supply.items().value("0.0.0", "Control.voltageRampspeedUp"), QString("100"));
    QCOMPARE(sim.supply.items().value("0.0.1", "Control.voltageSet"), QString("0"));
    // The panel re-reads the configuration when told it changed.
    QVERIFY(Client::waitFor(
            [&] { return !client.latest("", "Control.configurationChanged", from).isEmpty(); }));
}

void tst_Simulator::usbStick()
{
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const auto run = [&](const QString &command, const QJsonObject &params) {
        const QVector<Packet> answer
                = client.exchange(ticket, { QJsonObject { { "c", command }, { "p", params } } });
        return answer.isEmpty() ? QJsonObject() : answer.first().body;
    };
    const auto list = [&](const QString &type) {
        return run("fileList", { { "t", type }, { "s", "USB" } });
    };
    const auto save = [&](const QString &type, const QString &name) {
        return run("downloadFile", { { "i", type }, { "d", "USB" }, { "n", name } });
    };
    const auto restore = [&](const QString &name) {
        return run("uploadFile", { { "i", "lumaConfig" }, { "s", "USB" }, { "n", name } });
    };
    const QString brightness = "hardwareConfig/device@id=0-0/@displayBrightness";

    QCOMPARE(list("lumaConfig").value("d").toArray(), QJsonArray({ "LUMAconfig.xml" }));
    QCOMPARE(save("lumaConfig", "../etc").value("e").toString(), QString("error"));
    QCOMPARE(save("lumaConfig", "").value("e").toString(), QString("error"));
    const QJsonObject saved = save("lumaConfig", "bench_1.xml");
    QCOMPARE(saved.value("e").toString(), QString("success"));
    QVERIFY(saved.value("v").toString().contains("bench_1.xml"));
    QCOMPARE(list("lumaConfig").value("d").toArray(),
             QJsonArray({ "LUMAconfig.xml", "bench_1.xml" }));

    // Change the configuration, then restore the saved one.
    client.setConfig(ticket, edited(sim.supply.configuration(), -1, "displayBrightness", "9"));
    QTRY_COMPARE(configured(sim.supply.configuration(), brightness), QString("9"));
    int from = client.messages.size();
    QCOMPARE(restore("bench_1.xml").value("e").toString(), QString("success"));
    QCOMPARE(configured(sim.supply.configuration(), brightness), QString("5"));
    QVERIFY(Client::waitFor(
            [&] { return !client.latest("", "Control.configurationChanged", from).isEmpty(); }));
    QCOMPARE(restore("missing.xml").value("e").toString(), QString("error"));

    // A saved polarity change is refused while that channel is on.
    client.setConfig(ticket, edited(sim.supply.configuration(), 0, "polarity", "n"));
    QTRY_COMPARE(sim.supply.items().value("0.0.0", "Setup.outputPolarity"), QString("n"));
    QCOMPARE(save("lumaConfig", "negative").value("e").toString(), QString("success"));
    client.setConfig(ticket, edited(sim.supply.configuration(), 0, "polarity", "p"));
    QTRY_COMPARE(sim.supply.items().value("0.0.0", "Setup.outputPolarity"), QString("p"));
    client.request(ticket, { item("setItem", "0", "0", "0", "Control.on", 1) });
    QTRY_COMPARE(sim.supply.items().value("0.0.0", "Status.on"), QString("1"));
    const QByteArray before = sim.supply.configuration();
    const QJsonObject refused = restore("negative.xml");
    QCOMPARE(refused.value("e").toString(), QString("error"));
    QVERIFY(refused.value("v").toString().contains("channel 0 is on"));
    QCOMPARE(sim.supply.configuration(), before);

    QCOMPARE(list("usbDriver").value("d").toArray(), QJsonArray());
    QCOMPARE(save("usbDriver", "").value("e").toString(), QString("success"));
    QCOMPARE(list("usbDriver").value("d").toArray(), QJsonArray({ "zandor-usb-driver.inf" }));
    QCOMPARE(restore("zandor-usb-driver.inf").value("e").toString(), QString("error"));

    QCOMPARE(run("unmount", { { "d", "USB" } }).value("e").toString(), QString("success"));
    QCOMPARE(sim.supply.items().value("0.0", "Status.usbAuxState"), QString("off"));
    QCOMPARE(list("lumaConfig").value("e").toString(), QString("error"));
    QCOMPARE(save("lumaConfig", "late").value("e").toString(), QString("error"));
    QCOMPARE(run("unmount", { { "d", "USB" } }).value("e").toString(), QString("error"));
}

void tst_Simulator::malformedFrames_data()
{
    QTest::addColumn<QString>("frame");
    const QString request = R"({"i":"%T","t":"request","r":"websocket","c":%1})";
    const QString getItem = R"([{"c":"getItem","p":%1}])";
    QTest::newRow("not json") << "hello";
    QTest::newRow("truncated") << R"({"i":"%T","t":"request","c":[)";
    QTest::newRow("array") << "[1,2,3]";
    QTest::newRow("type not a string") << R"({"i":"%T","t":5})";
    QTest::newRow("unknown type") << R"({"i":"%T","t":"explode","c":[]})";
    QTest::newRow("contents not a list") << request.arg("{}");
    QTest::newRow("packet not an object") << request.arg("[42]");
    QTest::newRow("no parameters") << request.arg(R"([{"c":"getItem"}])");
    QTest::newRow("unknown command") << request.arg(R"([{"c":"format","p":{}}])");
    QTest::newRow("line not a string")
            << request.arg(getItem.arg(R"({"p":{"l":0,"a":"0","c":"0"},"i":"Control.on"})"));
    QTest::newRow("no item name") << request.arg(getItem.arg(R"({"p":{"l":"0","a":"0","c":"0"}})"));
    QTest::newRow("value an object") << request.arg(
            R"([{"c":"setItem","p":{"p":{"l":"0","a":"0","c":"0"},"i":"Control.on","v":{}}}])");
    QTest::newRow("read-only item") << request.arg(
            R"([{"c":"setItem","p":{"p":{"l":"0","a":"0","c":"0"},"i":"Status.voltageMeasure","v":"5"}}])");
    QTest::newRow("above the limit") << request.arg(
            R"([{"c":"setItem","p":{"p":{"l":"0","a":"0","c":"0"},"i":"Control.voltageSet","v":"99999"}}])");
    QTest::newRow("not a number") << request.arg(
            R"([{"c":"setItem","p":{"p":{"l":"0","a":"0","c":"0"},"i":"Control.voltageSet","v":"1e"}}])");
    QTest::newRow("wrong unit") << request.arg(
            R"([{"c":"setItem","p":{"p":{"l":"0","a":"0","c":"0"},"i":"Control.voltageSet","v":"1","u":"mA"}}])");
    QTest::newRow("cycle time zero") << request.arg(
            R"([{"c":"setItem","p":{"p":{"l":"","a":"","c":""},"i":"Setup.cycleTime","v":0}}])");
    QTest::newRow("huge frame")
            << QString(R"({"i":"%T","t":"request","c":[],"x":"%1"})").arg(QString(2 << 20, 'x'));
}

void tst_Simulator::malformedFrames()
{
    QFETCH(QString, frame);
    Simulator sim;
    Client client;
    QVERIFY(client.open(sim.server.port()));
    const QString ticket = client.login();
    const QString cycleTime = sim.supply.items().value("", "Setup.cycleTime");
    const QString voltageSet = sim.supply.items().value("0.0.0", "Control.voltageSet");

    const int from = client.messages.size();
    client.socket.sendTextMessage(QString(frame).replace("%T", ticket));
    QVERIFY(Client::waitFor([&] { return !client.errors(from).isEmpty(); }));
    QCOMPARE(client.errors(from).size(), 1);
    QCOMPARE(client.errors(from).first().envelope, QString("response"));
    QVERIFY(!client.errors(from).first().body.value("v").toString().isEmpty());

    client.request(ticket, { item("getItem", "", "", "", "Setup.cycleTime") });
    QVERIFY(Client::waitFor(
            [&] { return client.latest("", "Setup.cycleTime", from) == cycleTime; }));
    QCOMPARE(sim.supply.items().value("0.0.0", "Control.voltageSet"), voltageSet);
    QCOMPARE(sim.supply.items().value("0.0.0", "Control.on"), QString("0"));
}

void tst_Simulator::tlsOptionsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    // %1: a real certificate, %2: its key, %3: a file of neither.
    QTest::newRow("certificate alone") << QStringList { "--tls-certificate", "%1" }
                                       << "--tls-certificate and --tls-key go together";
    QTest::newRow("key alone") << QStringList { "--tls-key", "%2" }
                               << "--tls-certificate and --tls-key go together";
    QTest::newRow("no certificate in the file")
            << QStringList { "--tls-certificate", "%3", "--tls-key", "%2" }
            << "no PEM certificate in %3";
    QTest::newRow("certificate for the key")
            << QStringList { "--tls-certificate", "%1", "--tls-key", "%1" }
            << "no unencrypted PEM private key (RSA or EC) in %1";
}

// A supply that cannot serve what it was asked to does not start.
void tst_Simulator::tlsOptionsRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QProcess openssl;
    openssl.setWorkingDirectory(dir.path());
    openssl.start("openssl",
                  { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", "key.pem", "-out", "cert.pem", "-days", "1", "-subj",
                    "/CN=127.0.0.1" });
    QVERIFY(openssl.waitForFinished(30000));
    QCOMPARE(openssl.exitCode(), 0);
    QFile neither(dir.filePath("neither.pem"));
    QVERIFY(neither.open(QIODevice::WriteOnly));
    neither.write("not a certificate\n");
    neither.close();
    const auto put = [&dir](QString text) {
        return text.replace("%1", dir.filePath("cert.pem"))
                .replace("%2", dir.filePath("key.pem"))
                .replace("%3", dir.filePath("neither.pem"));
    };
    for (QString &argument : arguments)
        argument = put(argument);

    QProcess process;
    process.start(ZANDORSIM, QStringList { "--port", "0" } + arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()).trimmed(),
             "zandorsim: " + put(message));
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(tst_Simulator)
#include "tst_simulator.moc"
