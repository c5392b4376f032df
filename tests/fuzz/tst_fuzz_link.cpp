// Seeded, bounded fuzzing of the link: a hostile service logs the real root
// screen in and sends generated frames (valid batches and their mutations,
// odd numbers, prototype names, long texts, deep nesting, bad JSON, bad
// base64 and XML, oversized frames) through the real link into the real
// cache and screens. The program must stay sane: no script exception, only
// values that valid packets carried in the cache, short log lines, bounded
// memory, the link up and the last good configuration in force.
#include "panel.h"

#include <QCryptographicHash>
#include <QJSValueIterator>
#include <QQmlEngine>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QWebSocket>
#include <QWebSocketServer>
#include <QtTest>

#include <malloc.h>

namespace {

const int frameCount = 20000;
// Caches that fill once (glyphs, the script heap, the renderer's buffers)
// are warm after this many frames; from then on memory must stay bounded.
const int warmFrames = 2000;
const int framesPerSync = 250;

const QStringList names = { "__proto__", "constructor", "hasOwnProperty", "toString", "valueOf" };
// A few hundred paths and items, as a real supply has.
const QStringList lines = { "0", "0", "0", "", "__proto__", "constructor" };
const QStringList addresses = { "0", "0", "0", "", "hasOwnProperty" };
const QStringList channels = { "0", "1", "2", "3", "", "valueOf" };
const QStringList items = { "Status.voltageMeasure",
                            "Status.currentMeasure",
                            "Control.voltageSet",
                            "Control.currentSet",
                            "Status.runningState",
                            "Control.on",
                            "Status.constantVoltage",
                            "Event.currentTrip",
                            "Error.voltageLimit",
                            "Error.__proto__",
                            "Error.hasOwnProperty",
                            "Error.constructor",
                            "Status.installFirmware",
                            "Status.lowCurrentRange",
                            "Control.emergency",
                            "Status.temperature",
                            "constructor",
                            "__proto__",
                            "toString",
                            "Status.ethernetState",
                            "Status.usbRemoteText" };
const QStringList odd
        = { "0",           "1",      "1500.5", "-0",         "1e309", "-1e309", "NaN",
            "Infinity",    "1e-400", "0x1F",   " 5 ",        "٣",     "1,5",    "",
            "ok",          "error",  "info",   "off",        "p",     "n",      "__proto__",
            "constructor", "µA",     "\u202e", "\"quoted\"", "{}",    "[]" };
const QStringList standbys = { "0",     "1",           "10080", "10081", "1e309", "-5",
                               "0.001", "99999999999", "NaN",   "",      "5 ",    "constructor" };

QString key(const QString &path, const QString &item)
{
    return path + QChar(0x1f) + item;
}

QString pathOf(const QString &l, const QString &a, const QString &c)
{
    return a.isEmpty() ? l : c.isEmpty() ? l + '.' + a : l + '.' + a + '.' + c;
}

// Values are remembered by digest, so that the test itself holds little.
QByteArray digest(const QString &value)
{
    return QCryptographicHash::hash(value.toUtf8(), QCryptographicHash::Md5);
}

// Resident memory once garbage is collected and freed pages are returned:
// what the program holds, not what it has yet to release.
qint64 residentKiB(QQmlEngine *engine)
{
    engine->collectGarbage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// Every line the program logs; kept out of the test's own output.
struct Log
{
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        ++count;
        if (message.size() > longest)
            longestText = message.left(300);
        longest = std::max(longest, message.size());
        if (Panel::isScriptError(message) && errors.size() < 5)
            errors << message.left(300);
    }
    static inline int count = 0;
    static inline int longest = 0;
    static inline QString longestText;
    static inline QStringList errors;
};

// The service's side: a ticket for every login, the current configuration
// whenever it is asked for.
class Peer : public QObject
{
public:
    Peer()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QWebSocketServer::newConnection, this, [this] {
            socket = server.nextPendingConnection();
            QObject::connect(socket, &QWebSocket::textMessageReceived, this, &Peer::answer);
        });
    }

    void send(const QString &frame) { socket->sendTextMessage(frame); }

    void answer(const QString &message)
    {
        const QJsonObject frame = QJsonDocument::fromJson(message.toUtf8()).object();
        const QString type = frame.value(QStringLiteral("t")).toString();
        if (type == QLatin1String("login")) {
            ++logins;
            send(QStringLiteral("{\"t\":\"response\",\"i\":\"T1\"}"));
        } else if (type == QLatin1String("getConfig")) {
            send(QStringLiteral("{\"file\":\"lumaConfig.xml\",\"d\":\"%1\"}")
                         .arg(QString::fromLatin1(configuration.toUtf8().toBase64())));
        }
    }

    QWebSocketServer server { QStringLiteral("hostile"), QWebSocketServer::NonSecureMode };
    QWebSocket *socket = nullptr;
    int logins = 0;
    QString configuration;
};

class Generator
{
public:
    explicit Generator(quint32 seed) : random(seed) { }

    int bounded(int n) { return int(random.bounded(quint32(n))); }
    bool chance(int percent) { return bounded(100) < percent; }
    const QString &pick(const QStringList &list) { return list.at(bounded(list.size())); }

    QString text(int length)
    {
        QString s;
        s.reserve(length);
        // A few characters beyond ASCII: each new glyph costs the font cache.
        static const QString wide = QString::fromUtf8("µ°±ÄöüßéЖ中✓€\u202e\u200b\ufeff\u00a0");
        for (int i = 0; i < length; ++i)
            s += chance(95) ? QChar(ushort(0x20 + bounded(0x5f))) : wide.at(bounded(wide.size()));
        return s;
    }

    QJsonValue nonText()
    {
        switch (bounded(5)) {
        case 0:
            return QJsonValue::Null;
        case 1:
            return 1e308 * bounded(3);
        case 2:
            return true;
        case 3:
            return QJsonArray { QStringLiteral("x") };
        default:
            return QJsonObject { { QStringLiteral("__proto__"), QStringLiteral("666") } };
        }
    }

    QString configuration(QString *model, bool *good)
    {
        *model = pick(names) + QString::number(bounded(1000)) + text(bounded(20));
        *model = model->toHtmlEscaped();
        QString xml = QStringLiteral("<lumaConfig><hardwareConfig><device id=\"0-0\" "
                                     "displayStandby=\"%1\"/></hardwareConfig>"
                                     "<hardwareDetect><device id=\"0-0\" model=\"%2\">")
                              .arg(pick(standbys).toHtmlEscaped(), *model);
        const int channelCount = bounded(7);
        for (int i = 0; i < channelCount; ++i)
            xml += QStringLiteral("<channel id=\"%1\"/>").arg(i);
        xml += QStringLiteral("</device></hardwareDetect></lumaConfig>");
        *good = true;
        switch (bounded(5)) {
        case 0:
            xml.truncate(bounded(xml.size()));
            *good = false;
            break;
        case 1:
            xml.replace(QStringLiteral("<hardwareConfig>"),
                        QStringLiteral("<hardwareConfig>") + QStringLiteral("<x>").repeated(70)
                                + QStringLiteral("</x>").repeated(70));
            *good = false;
            break;
        }
        return xml;
    }

    QRandomGenerator random;
};

} // namespace

class tst_FuzzLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostileStream();

private:
    QJsonObject update(const QString &l, const QString &a, const QString &c, const QString &item,
                       const QString &value);
    QJsonObject mutatedUpdate();
    QJsonObject event();
    QString frame();
    void sync();
    QVariant call(const char *function, const QVariantList &arguments = {})
    {
        return panel->call(function, arguments);
    }

    Generator generate { 0 };
    QScopedPointer<Peer> peer;
    QScopedPointer<Panel> panel;
    // Values valid packets carried, per path and item; the latest of each.
    QHash<QString, QSet<QByteArray>> carried;
    QHash<QString, QString> latest;
    QList<QPair<QString, QString>> pending;
    QString goodModel;
    int syncs = 0;
    int unique = 0;
};

void tst_FuzzLink::initTestCase()
{
    Panel::prepareApplication();
    const quint32 seed = qEnvironmentVariableIsSet("FUZZ_SEED")
            ? quint32(qEnvironmentVariableIntValue("FUZZ_SEED"))
            : 20261210u;
    generate.random.seed(seed);
    qInfo("seed %u", seed);
    peer.reset(new Peer);
    QVERIFY(peer->server.isListening());
    bool good = false;
    do
        peer->configuration = generate.configuration(&goodModel, &good);
    while (!good || !peer->configuration.contains(QLatin1String("<channel id=\"3\"")));
    qInstallMessageHandler(Log::handler);
    panel.reset(new Panel(peer->server.serverPort()));
    QTRY_VERIFY_WITH_TIMEOUT(panel->property("connected").toBool(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(panel->property("numberOfChannels").toInt(), 4, 10000);
}

QJsonObject tst_FuzzLink::update(const QString &l, const QString &a, const QString &c,
                                 const QString &item, const QString &value)
{
    QJsonObject d { { "i", item },
                    { "p", QJsonObject { { "l", l }, { "a", a }, { "c", c } } },
                    { "v", value } };
    if (generate.chance(80))
        d.insert("u", generate.pick({ "V", "mA", "µA", "kV", "", "constructor", "__proto__" }));
    if (generate.chance(80))
        d.insert("t", QString::number(1700000000 + generate.bounded(100000)));
    return QJsonObject { { "e", "itemUpdated" }, { "d", d } };
}

// An item update that is invalid for certain, carrying a value no valid
// packet carries.
QJsonObject tst_FuzzLink::mutatedUpdate()
{
    const QString value = QStringLiteral("m%1").arg(++unique);
    QJsonObject packet = update(generate.pick(lines), generate.pick(addresses),
                                generate.pick(channels), generate.pick(items), value);
    QJsonObject d = packet.value("d").toObject();
    QJsonObject p = d.value("p").toObject();
    switch (generate.bounded(7)) {
    case 0:
        d.remove(generate.pick({ "i", "v", "p" }));
        break;
    case 1:
        p.remove(generate.pick({ "l", "a", "c" }));
        d.insert("p", p);
        break;
    case 2:
        d.insert(generate.pick({ "i", "v", "u", "t" }), generate.nonText());
        break;
    case 3:
        p.insert(generate.pick({ "l", "a", "c" }), generate.nonText());
        d.insert("p", p);
        break;
    case 4:
        d.insert("i", QString());
        break;
    case 5:
        // Over the length limit in one of the texts.
        if (generate.chance(50)) {
            d.insert("v", value + generate.text(4097 + generate.bounded(3000)));
        } else {
            p.insert(generate.pick({ "l", "a", "c" }), generate.text(4097 + generate.bounded(100)));
            d.insert("p", p);
        }
        break;
    default:
        packet.insert("e",
                      generate.chance(50) ? generate.pick(names) : QStringLiteral("itemupdated"));
        break;
    }
    packet.insert("d", d);
    if (generate.chance(5))
        packet.insert("d", generate.nonText());
    return packet;
}

QJsonObject tst_FuzzLink::event()
{
    switch (generate.bounded(4)) {
    case 0: {
        const QString type = generate.pick({ "message", "error", "success" });
        const QJsonValue v = generate.chance(70)
                ? QJsonValue(generate.chance(90) ? generate.pick(names) + generate.pick(odd)
                                                 : generate.text(4097 + generate.bounded(2000)))
                : generate.nonText();
        return QJsonObject { { "e", type }, { "v", v } };
    }
    case 1:
        return QJsonObject { { "e", "fileList" },
                             { "d",
                               generate.chance(70) ? QJsonValue(
                                       QJsonArray { generate.pick(names) + ".xml", "a.xml",
                                                    generate.text(generate.bounded(5000)) })
                                                   : generate.nonText() } };
    case 2:
        return QJsonObject { { "e", generate.pick(names) }, { "d", generate.nonText() } };
    default:
        return QJsonObject { { "x", 1 } };
    }
}

// One frame's text. Values of valid packets are recorded only once it is
// certain the frame reaches the link whole.
QString tst_FuzzLink::frame()
{
    pending.clear();
    const int kind = generate.bounded(100);
    if (kind < 45 || kind > 72) {
        QJsonArray batch;
        const int envelopes = 1 + generate.bounded(3);
        for (int e = 0; e < envelopes; ++e) {
            const QString type = generate.chance(90)
                    ? generate.pick({ "info", "response", "lumaConfig" })
                    : generate.pick(names);
            const bool read = type == QLatin1String("info") || type == QLatin1String("response")
                    || type == QLatin1String("lumaConfig");
            QJsonArray packets;
            QList<QPair<QString, QString>> carries;
            const int count = 1 + generate.bounded(6);
            for (int i = 0; i < count; ++i) {
                const int what = generate.bounded(10);
                if (what < 6) {
                    const QString l = generate.pick(lines), a = generate.pick(addresses),
                                  c = generate.pick(channels), item = generate.pick(items);
                    const QString value = generate.chance(97)
                            ? generate.pick(odd)
                                    + (generate.chance(30) ? generate.text(generate.bounded(60))
                                                           : QString())
                            : generate.text(4000 + generate.bounded(96));
                    packets.append(update(l, a, c, item, value));
                    carries.append({ key(pathOf(l, a, c), item), value });
                } else if (what < 9) {
                    packets.append(mutatedUpdate());
                } else {
                    packets.append(event());
                }
            }
            QJsonObject envelope { { "i", "T1" }, { "t", type }, { "c", packets } };
            if (generate.chance(3))
                envelope.insert("c", generate.nonText());
            else if (read)
                pending += carries;
            batch.append(envelope);
        }
        return QString::fromUtf8(QJsonDocument(batch).toJson(QJsonDocument::Compact));
    }
    if (kind < 55) {
        // Broken JSON: a valid batch cut short or with a byte changed.
        QString text = QString::fromUtf8(
                QJsonDocument(QJsonArray { QJsonObject {
                                      { "t", "info" }, { "c", QJsonArray { mutatedUpdate() } } } })
                        .toJson(QJsonDocument::Compact));
        if (generate.chance(50))
            text.truncate(generate.bounded(text.size()));
        else
            text[generate.bounded(text.size())] = QStringLiteral("{]\",\\").at(generate.bounded(5));
        return text;
    }
    if (kind < 65) {
        const int depth = 1 + generate.bounded(3000);
        switch (generate.bounded(5)) {
        case 0:
            return QString(QLatin1Char('[')).repeated(depth)
                    + QString(QLatin1Char(']')).repeated(depth);
        case 1:
            return QStringLiteral("{\"c\":").repeated(depth) + "1"
                    + QString(QLatin1Char('}')).repeated(depth);
        case 2:
            return generate.pick(
                    { "null", "1", "\"x\"", "{}", "[]", "[null]", "[1,\"x\"]", "", " " });
        case 3:
            return QStringLiteral("{\"file\":\"%1\",\"d\":\"\"}").arg(generate.pick(names));
        default:
            return QString::fromUtf8(
                    QJsonDocument(
                            QJsonArray { QJsonObject { { "t", "info" },
                                                       { "c", QJsonArray { event(), event() } } } })
                            .toJson(QJsonDocument::Compact));
        }
    }
    if (kind < 72) {
        // A configuration: good, malformed, too deep, or not base64 of UTF-8.
        QString model;
        bool good = false;
        const QString xml = generate.configuration(&model, &good);
        QString data = QString::fromLatin1(xml.toUtf8().toBase64());
        switch (generate.bounded(6)) {
        case 0:
            data = generate.pick({ "@@@@", "abc", "====", "QQ", "/w==" });
            good = false;
            break;
        case 1:
            data.chop(1);
            good = false;
            break;
        default:
            break;
        }
        if (good)
            goodModel = model;
        return QStringLiteral("{\"file\":\"lumaConfig.xml\",\"d\":\"%1\"}").arg(data);
    }
    if (generate.chance(90))
        return QStringLiteral("[{\"t\":\"info\",\"c\":[]}]");
    {
        // Oversized: a batch, an object that is no configuration, a
        // configuration beyond its own limit. All are dropped unread.
        const QString filler = generate.text(1024).repeated(1025 + generate.bounded(512));
        switch (generate.bounded(3)) {
        case 0:
            return QString::fromUtf8(
                    QJsonDocument(
                            QJsonArray { QJsonObject {
                                    { "t", "info" },
                                    { "c",
                                      QJsonArray { update("0", "0", "1", "Control.voltageSet",
                                                          QStringLiteral("m%1").arg(++unique)) } },
                                    { "x", filler } } })
                            .toJson(QJsonDocument::Compact));
        case 1:
            return QStringLiteral("{\"file\":\"other\",\"d\":\"%1\"}").arg(filler);
        default:
            return QStringLiteral("{\"file\":\"lumaConfig.xml\",\"d\":\"%1\"}")
                    .arg(QString(3 * 1024 * 1024, QLatin1Char('A')));
        }
    }
}

void tst_FuzzLink::sync()
{
    const QString value = QStringLiteral("s%1").arg(++syncs);
    peer->send(QString::fromUtf8(
            QJsonDocument(
                    QJsonArray { QJsonObject {
                            { "t", "info" },
                            { "c", QJsonArray { update("9", "9", "9", "Status.sync", value) } } } })
                    .toJson(QJsonDocument::Compact)));
    carried[key("9.9.9", "Status.sync")].insert(digest(value));
    latest[key("9.9.9", "Status.sync")] = value;
    QTRY_COMPARE_WITH_TIMEOUT(
            call("getItemValue", { "9.9.9", "Status.sync" }).toList().value(1).toString(), value,
            20000);
}

void tst_FuzzLink::hostileStream()
{
    sync();
    const qint64 start = residentKiB(panel->view().engine());
    qint64 before = start;
    QElapsedTimer clock;
    clock.start();

    for (int sent = 0; sent < frameCount;) {
        peer->send(frame());
        for (const auto &entry : qAsConst(pending)) {
            carried[entry.first].insert(digest(entry.second));
            latest[entry.first] = entry.second;
        }
        ++sent;
        if (sent % framesPerSync == 0) {
            sync();
            if (QTest::currentTestFailed())
                return;
        }
        if (sent == warmFrames)
            before = residentKiB(panel->view().engine());
        // Half-way the selected channel's screen, with its chart, takes over.
        if (sent == frameCount / 2) {
            call("setSelectedChannel", { "0.0.1" });
            panel->command(QStringLiteral("selectChannel"));
        }
    }
    sync();
    QTest::qWait(1500);
    const qint64 after = residentKiB(panel->view().engine());
    qInstallMessageHandler(nullptr);
    qInfo("%d frames in %lld ms; resident %lld KiB at the start, %lld KiB after %d frames, "
          "%lld KiB at the end; %d log lines, the longest %d characters",
          frameCount, clock.elapsed(), start, before, warmFrames, after, Log::count, Log::longest);

    QVERIFY2(Log::errors.isEmpty(), qPrintable(Log::errors.join('\n')));
    QVERIFY2(Log::longest < 600, qPrintable(Log::longestText));
    QVERIFY2(after - before < 64 * 1024, "resident memory grew by 64 MiB or more");
    QCOMPARE(peer->logins, 1);
    QVERIFY(panel->property("connected").toBool());
    QCOMPARE(panel->property("numberOfChannels").toInt(), 4);
    const QString model
            = call("getConfigValue", { "hardwareDetect/device@id=0-0/@model" }).toString();
    QCOMPARE(model.toHtmlEscaped(), goodModel);

    // The cache holds exactly what valid packets carried, newest last.
    QObject *cache = panel->child("addItem");
    QVERIFY(cache);
    const QJSValue itemCache = cache->property("itemCache").value<QJSValue>();
    int keys = 0;
    for (QJSValueIterator paths(itemCache); paths.hasNext();) {
        paths.next();
        for (QJSValueIterator entries(paths.value()); entries.hasNext();) {
            entries.next();
            const QString k = key(paths.name(), entries.name());
            const int length = entries.value().property("length").toInt();
            QVERIFY2(length > 0 && length <= 100, qPrintable(k));
            for (int i = 0; i < length; ++i) {
                const QString value = entries.value().property(quint32(i)).property(1).toString();
                QVERIFY2(carried.value(k).contains(digest(value)),
                         qPrintable(QStringLiteral("%1 holds %2").arg(k, value.left(40))));
            }
            QCOMPARE(entries.value().property(quint32(length - 1)).property(1).toString(),
                     latest.value(k));
            ++keys;
        }
    }
    QCOMPARE(keys, latest.size());
}

QTEST_MAIN(tst_FuzzLink)
#include "tst_fuzz_link.moc"
