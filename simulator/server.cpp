#include "server.h"

#include "framerecorder.h"
#include "supply.h"
#include "usbstick.h"

#include <QDebug>
#include <QJsonDocument>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebSocket>

#include <iterator>

namespace {

const QString Response = QStringLiteral("response");

// Frames above MaxFrameSize get an error event; messages above
// MaxMessageSize make the socket itself close the connection.
const int MaxFrameSize = 1 << 20;
const qint64 MaxMessageSize = 16 << 20;

const QHash<QString, QString> Users = { { "kiwi", "kiwi" }, { "_PANEL_", "_PANEL_" } };

QString newTicket()
{
    return QString::number(QRandomGenerator::system()->generate64(), 16)
            .rightJustified(16, QLatin1Char('0'));
}

// Reads an optional string field; false when present with another type.
bool stringField(const QJsonObject &object, const QString &key, QString *value)
{
    const QJsonValue field = object.value(key);
    if (field.isUndefined() || field.isNull()) {
        value->clear();
        return true;
    }
    if (!field.isString())
        return false;
    *value = field.toString();
    return true;
}

QString quoted(const QString &text)
{
    return text.size() > 80 ? text.left(80) + QStringLiteral("…") : text;
}

} // namespace

Server::Server(Supply *supply, UsbStick *usb, FrameRecorder *recorder, const QSslConfiguration &tls,
               QObject *parent)
    : QObject(parent),
      m_supply(supply),
      m_usb(usb),
      m_recorder(recorder),
      m_server(QStringLiteral("zandorsim"),
               tls.isNull() ? QWebSocketServer::NonSecureMode : QWebSocketServer::SecureMode)
{
    if (!tls.isNull())
        m_server.setSslConfiguration(tls);
    connect(&m_server, &QWebSocketServer::newConnection, this, &Server::accept);
    m_pushTimer.setInterval(m_supply->cycleTime());
    connect(&m_pushTimer, &QTimer::timeout, this, &Server::push);
    connect(m_supply, &Supply::cycleTimeChanged, &m_pushTimer, qOverload<int>(&QTimer::start));
    m_keepAliveTimer.setInterval(250);
    connect(&m_keepAliveTimer, &QTimer::timeout, this, &Server::keepAlive);
    connect(&m_garbageTimer, &QTimer::timeout, this, &Server::sendGarbage);
}

Server::~Server()
{
    const auto sockets = m_sessions.keys();
    for (QWebSocket *socket : sockets) {
        socket->disconnect(this);
        socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("simulator stopped"));
        delete socket;
    }
}

bool Server::listen(const QHostAddress &address, quint16 port)
{
    if (!m_server.listen(address, port))
        return false;
    m_pushTimer.start();
    m_keepAliveTimer.start();
    return true;
}

void Server::accept()
{
    while (QWebSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(nullptr);
        socket->setMaxAllowedIncomingMessageSize(MaxMessageSize);
        m_sessions.insert(socket, Session());
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket](const QString &text) { handleText(socket, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket](const QByteArray &data) {
                    if (m_recorder)
                        m_recorder->record(QStringLiteral("in"),
                                           QString::fromLatin1(data.toBase64()));
                    sendBatch(socket, Response,
                              { errorPacket(QStringLiteral("binary frames are not supported")) });
                });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { disconnected(socket); });
    }
}

void Server::disconnected(QWebSocket *socket)
{
    m_sessions.remove(socket);
    socket->deleteLater();
    updateClientCount();
}

void Server::handleText(QWebSocket *socket, const QString &text)
{
    if (m_recorder)
        m_recorder->record(QStringLiteral("in"), text);
    if (text.size() > MaxFrameSize) {
        sendBatch(socket, Response,
                  { errorPacket(QStringLiteral("frame of %1 characters exceeds the limit of %2")
                                        .arg(text.size())
                                        .arg(MaxFrameSize)) });
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &parseError);
    if (!document.isObject()) {
        const QString reason = parseError.error != QJsonParseError::NoError
                ? QStringLiteral("frame is not JSON: %1").arg(parseError.errorString())
                : QStringLiteral("frame is not a JSON object");
        sendBatch(socket, Response, { errorPacket(reason) });
        return;
    }
    const QJsonObject envelope = document.object();
    QString type;
    QString ticket;
    if (!stringField(envelope, QStringLiteral("t"), &type)
        || !stringField(envelope, QStringLiteral("i"), &ticket)) {
        sendBatch(socket, Response,
                  { errorPacket(QStringLiteral("envelope keys \"t\" and \"i\" must be strings")) });
        return;
    }
    if (type == QLatin1String("login")) {
        login(socket, envelope);
        return;
    }

    Session &session = m_sessions[socket];
    if (socket->state() != QAbstractSocket::ConnectedState || session.ticket.isEmpty()
        || ticket != session.ticket) {
        qWarning().noquote() << "Server: ignoring" << quoted(type)
                             << "envelope with a ticket that is not current";
        return;
    }
    if (type == QLatin1String("logout")) {
        session.ticket.clear();
        updateClientCount();
    } else if (type == QLatin1String("request")) {
        const QJsonValue packets = envelope.value(QStringLiteral("c"));
        QJsonArray now = packets.toArray();
        if (m_switchDelay > 0) {
            now = {};
            for (const QJsonValue &packet : packets.toArray()) {
                if (isSwitchingWrite(packet))
                    answerLater(socket, packet);
                else
                    now.append(packet);
            }
        }
        const QJsonArray answers = packets.isArray()
                ? handleRequest(now)
                : QJsonArray { errorPacket(
                        QStringLiteral("request contents \"c\" must be an array")) };
        if (!answers.isEmpty())
            sendBatch(socket, Response, answers);
    } else if (type == QLatin1String("getConfig")) {
        const QJsonObject answer { { "file", "lumaConfig.xml" },
                                   { "d",
                                     QString::fromLatin1(m_supply->configuration().toBase64()) } };
        sendText(socket, QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)));
    } else if (type == QLatin1String("setConfig")) {
        const QJsonObject error = setConfig(envelope);
        if (!error.isEmpty())
            sendBatch(socket, Response, { error });
    } else {
        sendBatch(
                socket, Response,
                { errorPacket(QStringLiteral("unknown envelope type \"%1\"").arg(quoted(type))) });
    }
}

void Server::login(QWebSocket *socket, const QJsonObject &envelope)
{
    const QJsonObject credentials = envelope.value(QStringLiteral("c")).toObject();
    const QJsonValue user = credentials.value(QStringLiteral("l"));
    const QJsonValue password = credentials.value(QStringLiteral("p"));
    if (!user.isString() || !password.isString() || !Users.contains(user.toString())
        || Users.value(user.toString()) != password.toString()) {
        qWarning().noquote() << "Server: login refused for user" << quoted(user.toString());
        m_sessions[socket].ticket.clear();
        socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("login refused"));
        updateClientCount();
        return;
    }
    Session &session = m_sessions[socket];
    session.ticket = newTicket();
    const QJsonObject answer { { "t", Response }, { "i", session.ticket } };
    sendText(socket, QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)));
    updateClientCount();
}

bool Server::isSwitchingWrite(const QJsonValue &packet)
{
    const QJsonObject object = packet.toObject();
    const QString item
            = object.value(QStringLiteral("p")).toObject().value(QStringLiteral("i")).toString();
    return object.value(QStringLiteral("c")).toString() == QLatin1String("setItem")
            && (item == QLatin1String("Control.on") || item == QLatin1String("Control.emergency"));
}

void Server::answerLater(QWebSocket *socket, const QJsonValue &packet)
{
    QPointer<QWebSocket> target(socket);
    QTimer::singleShot(m_switchDelay, this, [this, target, packet] {
        if (!target || m_sessions.value(target).ticket.isEmpty())
            return;
        const QJsonArray answers = handleRequest({ packet });
        if (!answers.isEmpty())
            sendBatch(target, Response, answers);
    });
}

QJsonArray Server::handleRequest(const QJsonArray &packets)
{
    QJsonArray answers;
    for (const QJsonValue &packet : packets) {
        // An empty list is the client's keep-alive packet.
        if (packet.isArray() && packet.toArray().isEmpty())
            continue;
        const QJsonObject object = packet.toObject();
        QString command;
        if (!packet.isObject() || !stringField(object, QStringLiteral("c"), &command)
            || !object.value(QStringLiteral("p")).isObject()) {
            answers.append(errorPacket(
                    QStringLiteral("command packet needs a command \"c\" and parameters \"p\"")));
            continue;
        }
        const QJsonObject params = object.value(QStringLiteral("p")).toObject();
        if (command == QLatin1String("getItem") || command == QLatin1String("setItem")) {
            for (const QJsonValue &answer : itemCommand(command, params))
                answers.append(answer);
        } else if (command == QLatin1String("fileList") || command == QLatin1String("downloadFile")
                   || command == QLatin1String("uploadFile")
                   || command == QLatin1String("unmount")) {
            answers.append(fileCommand(command, params));
        } else {
            answers.append(
                    errorPacket(QStringLiteral("unknown command \"%1\"").arg(quoted(command))));
        }
    }
    return answers;
}

QJsonArray Server::itemCommand(const QString &command, const QJsonObject &params)
{
    const QJsonValue address = params.value(QStringLiteral("p"));
    const QJsonObject levels = address.toObject();
    QString line, module, channel, item, unit;
    if (!(address.isObject() || address.isUndefined())
        || !stringField(levels, QStringLiteral("l"), &line)
        || !stringField(levels, QStringLiteral("a"), &module)
        || !stringField(levels, QStringLiteral("c"), &channel)
        || !stringField(params, QStringLiteral("i"), &item)
        || !stringField(params, QStringLiteral("u"), &unit) || item.isEmpty()) {
        return { errorPacket(
                QStringLiteral(
                        "%1 needs an item name \"i\" and string fields \"l\", \"a\", \"c\", \"u\"")
                        .arg(command)) };
    }

    const QVector<ItemKey> keys = m_supply->items().match(line, module, channel, item);
    const QString where = QStringLiteral("%1.%2.%3").arg(line, module, channel);
    if (keys.isEmpty())
        return { errorPacket(
                QStringLiteral("%1: no item %2 at %3").arg(command, quoted(item), quoted(where))) };

    QString value;
    if (command == QLatin1String("setItem")) {
        const QJsonValue v = params.value(QStringLiteral("v"));
        if (v.isString())
            value = v.toString();
        else if (v.isDouble())
            value = QString::number(v.toDouble(), 'g', 12);
        else
            return { errorPacket(
                    QStringLiteral("setItem %1: value \"v\" must be a string or a number")
                            .arg(item)) };
    }

    QJsonArray answers;
    for (const ItemKey &key : keys) {
        if (command == QLatin1String("setItem")) {
            const QString error = m_supply->write(key, value, unit);
            if (!error.isEmpty()) {
                answers.append(
                        errorPacket(QStringLiteral("setItem at \"%1\": %2").arg(key.path, error)));
                continue;
            }
        }
        answers.append(itemPacket(key));
    }
    return answers;
}

QJsonObject Server::fileCommand(const QString &command, const QJsonObject &params)
{
    QString type, drive, source, name;
    const bool typed = command == QLatin1String("fileList")
            ? stringField(params, QStringLiteral("t"), &type)
            : stringField(params, QStringLiteral("i"), &type);
    if (!typed || !stringField(params, QStringLiteral("d"), &drive)
        || !stringField(params, QStringLiteral("s"), &source)
        || !stringField(params, QStringLiteral("n"), &name)) {
        return errorPacket(QStringLiteral("%1: parameters must be strings").arg(command));
    }

    UsbResult result;
    if (command == QLatin1String("fileList"))
        result = m_usb->fileList(type, source);
    else if (command == QLatin1String("downloadFile"))
        result = m_usb->download(type, drive, name);
    else if (command == QLatin1String("uploadFile"))
        result = m_usb->upload(type, source, name);
    else
        result = m_usb->unmount(drive);

    if (!result.error.isEmpty())
        return errorPacket(QStringLiteral("%1: %2").arg(command, result.error));
    if (command == QLatin1String("fileList"))
        return { { "e", "fileList" }, { "d", QJsonArray::fromStringList(result.files) } };
    return { { "e", "success" }, { "v", result.success } };
}

QJsonObject Server::setConfig(const QJsonObject &envelope)
{
    const QJsonValue data = envelope.value(QStringLiteral("d"));
    if (!data.isString())
        return errorPacket(
                QStringLiteral("setConfig: \"d\" must hold the configuration in base64"));
    const auto decoded = QByteArray::fromBase64Encoding(
            data.toString().toLatin1(),
            QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok || decoded.decoded.isEmpty())
        return errorPacket(QStringLiteral("setConfig: \"d\" is not valid base64"));
    QString error;
    if (!m_supply->replaceConfiguration(decoded.decoded, &error))
        return errorPacket(QStringLiteral("setConfig: %1").arg(error));
    return {};
}

void Server::push()
{
    // Measured values as of this cycle, whatever the physics timer did.
    m_supply->advance();
    const QVector<ItemKey> changes = m_supply->items().takeChanges();
    if (changes.isEmpty())
        return;
    QJsonArray packets;
    for (const ItemKey &key : changes)
        packets.append(itemPacket(key));
    for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
        if (!it->ticket.isEmpty())
            sendBatch(it.key(), QStringLiteral("info"), packets);
    }
}

void Server::keepAlive()
{
    // The client reconnects after 5 s of silence; long cycle times must not
    // starve it.
    const ItemKey time { QString(), QStringLiteral("System.time") };
    for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
        if (!it->ticket.isEmpty() && it->lastSent.hasExpired(1000))
            sendBatch(it.key(), QStringLiteral("info"), { itemPacket(time) });
    }
}

void Server::setGarbageInterval(int ms)
{
    if (ms > 0)
        m_garbageTimer.start(ms);
    else
        m_garbageTimer.stop();
}

void Server::sendGarbage()
{
    static const char *frames[] = {
        "{\"t\": [",
        "[3]",
        "[{\"t\":\"info\",\"c\":\"x\"}]",
        "[{\"t\":\"info\",\"c\":[{\"e\":\"itemUpdated\",\"d\":{\"i\":\"Status.on\"}}]}]",
        "{\"file\":\"lumaConfig.xml\",\"d\":\"***\"}",
    };
    const QString text = QString::fromLatin1(frames[m_garbageSent++ % std::size(frames)]);
    for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it) {
        if (!it->ticket.isEmpty())
            sendText(it.key(), text);
    }
}

void Server::sendText(QWebSocket *socket, const QString &text)
{
    if (m_recorder)
        m_recorder->record(QStringLiteral("out"), text);
    socket->sendTextMessage(text);
    const auto session = m_sessions.find(socket);
    if (session != m_sessions.end())
        session->lastSent.start();
}

void Server::sendBatch(QWebSocket *socket, const QString &type, const QJsonArray &packets)
{
    const QJsonArray batch { QJsonObject { { "t", type }, { "c", packets } } };
    sendText(socket, QString::fromUtf8(QJsonDocument(batch).toJson(QJsonDocument::Compact)));
}

void Server::updateClientCount()
{
    int count = 0;
    for (const Session &session : qAsConst(m_sessions))
        count += !session.ticket.isEmpty();
    m_supply->setConnectedClients(count);
}

QJsonObject Server::itemPacket(const ItemKey &key) const
{
    const QStringList levels
            = key.path.isEmpty() ? QStringList() : key.path.split(QLatin1Char('.'));
    const ItemValue item = m_supply->items().item(key.path, key.item);
    const QJsonObject address { { "l", levels.value(0) },
                                { "a", levels.value(1) },
                                { "c", levels.value(2) } };
    const QJsonObject data { { "i", key.item },
                             { "p", address },
                             { "v", item.value },
                             { "u", item.unit },
                             { "t", QString::number(item.time, 'f', 3) } };
    return { { "e", "itemUpdated" }, { "d", data } };
}

QJsonObject Server::errorPacket(const QString &text)
{
    qWarning().noquote() << "Server:" << text;
    return { { "e", "error" }, { "v", text } };
}
