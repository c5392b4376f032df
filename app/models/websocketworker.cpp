#include "websocketworker.h"

#include <QDebug>

WebsocketWorker::WebsocketWorker(QObject *parent)
    : QThread(parent), m_socket(QString(), QWebSocketProtocol::VersionLatest, this)
{
    // Relayed once here: relaying on every init would repeat each message.
    connect(&m_socket, &QWebSocket::connected, this, &WebsocketWorker::connected);
    connect(&m_socket, &QWebSocket::disconnected, this, &WebsocketWorker::disconnected);
    connect(&m_socket, &QWebSocket::stateChanged, this, &WebsocketWorker::stateChanged);
    connect(&m_socket, &QWebSocket::textMessageReceived, this,
            &WebsocketWorker::textMessageReceived);
}

void WebsocketWorker::init(const QUrl &url)
{
    qDebug() << "URL:" << url;
    m_socket.open(url);
}

void WebsocketWorker::sendTextMessage(const QString &message)
{
    m_socket.sendTextMessage(message);
}

#include "moc_websocketworker.cpp"
