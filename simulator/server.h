#ifndef SERVER_H
#define SERVER_H

#include "itemmodel.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QSslConfiguration>
#include <QTimer>
#include <QWebSocketServer>

class FrameRecorder;
class Supply;
class UsbStick;
class QWebSocket;

// The control service's WebSocket protocol: login and tickets, item
// requests, configuration and USB file commands, and the cyclic push.
class Server : public QObject
{
    Q_OBJECT
public:
    // A non-null tls (certificate and key) serves wss:// instead of ws://.
    Server(Supply *supply, UsbStick *usb, FrameRecorder *recorder,
           const QSslConfiguration &tls = QSslConfiguration(), QObject *parent = nullptr);
    ~Server() override;

    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    // Fault injection: every interval, each logged-in client gets one
    // malformed frame (0: never).
    void setGarbageInterval(int ms);
    // A loaded supply: switching writes (Control.on, Control.emergency) are
    // carried out and answered this much later (0: at once).
    void setSwitchDelay(int ms) { m_switchDelay = ms; }

private:
    struct Session
    {
        QString ticket;
        QElapsedTimer lastSent;
    };

    void accept();
    void disconnected(QWebSocket *socket);
    void handleText(QWebSocket *socket, const QString &text);
    void login(QWebSocket *socket, const QJsonObject &envelope);
    QJsonArray handleRequest(const QJsonArray &packets);
    QJsonArray itemCommand(const QString &command, const QJsonObject &params);
    QJsonObject fileCommand(const QString &command, const QJsonObject &params);
    QJsonObject setConfig(const QJsonObject &envelope);
    void push();
    static bool isSwitchingWrite(const QJsonValue &packet);
    void answerLater(QWebSocket *socket, const QJsonValue &packet);
    void keepAlive();
    void sendGarbage();
    void sendText(QWebSocket *socket, const QString &text);
    void sendBatch(QWebSocket *socket, const QString &type, const QJsonArray &packets);
    void updateClientCount();
    QJsonObject itemPacket(const ItemKey &key) const;
    static QJsonObject errorPacket(const QString &text);

    Supply *m_supply;
    UsbStick *m_usb;
    FrameRecorder *m_recorder;
    QWebSocketServer m_server;
    QHash<QWebSocket *, Session> m_sessions;
    QTimer m_pushTimer;
    QTimer m_keepAliveTimer;
    QTimer m_garbageTimer;
    int m_garbageSent = 0;
    int m_switchDelay = 0;
};

#endif // SERVER_H
