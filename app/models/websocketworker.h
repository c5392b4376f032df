#ifndef WEBSOCKETWORKER_H
#define WEBSOCKETWORKER_H

#include <QThread>
#include <QUrl>
#include <QWebSocket>

// Never started: a plain object in the thread that creates it.
class WebsocketWorker : public QThread
{
    Q_OBJECT
public:
    explicit WebsocketWorker(QObject *parent = nullptr);

    void init(const QUrl &url);
    void sendTextMessage(const QString &message);

Q_SIGNALS:
    void connected();
    void disconnected();
    void stateChanged(QAbstractSocket::SocketState state);
    void textMessageReceived(const QString &message);

private:
    QWebSocket m_socket;
};

#endif // WEBSOCKETWORKER_H
