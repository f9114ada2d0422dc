#include "webSocketCalibrate.h"

#include "commandgate.h"
#include "remote.h"

#include <QDebug>
#include <QHostAddress>
#include <QWebSocket>
#include <QWebSocketServer>

WebSocketCalibrate::WebSocketCalibrate(unsigned short port, bool debug, QObject* parent)
    : QObject(parent),
      m_pWebSocketServer(new QWebSocketServer(QStringLiteral("Echo Server"), QWebSocketServer::NonSecureMode, this)),
      m_debug(debug), m_gate(new CommandGate(this))
{
    if (!m_pWebSocketServer->listen(QHostAddress::Any, port))
        return;
    if (m_debug)
        qDebug() << "Echoserver listening on port" << port;
    connect(m_pWebSocketServer, &QWebSocketServer::newConnection, this, &WebSocketCalibrate::onNewConnection);
    connect(m_pWebSocketServer, &QWebSocketServer::closed, this, &WebSocketCalibrate::closed);
}

WebSocketCalibrate::~WebSocketCalibrate()
{
    m_pWebSocketServer->close();
    qDeleteAll(m_clients);
    for (Remote* remote : m_remotes)
        remote->deleteLater();
}

bool WebSocketCalibrate::isListening() const { return m_pWebSocketServer->isListening(); }

unsigned short WebSocketCalibrate::serverPort() const { return m_pWebSocketServer->serverPort(); }

void WebSocketCalibrate::onNewConnection()
{
    QWebSocket* socket = m_pWebSocketServer->nextPendingConnection();
    if (!socket)
        return;
    connect(socket, &QWebSocket::binaryMessageReceived, this, &WebSocketCalibrate::processBinaryMessage);
    connect(socket, &QWebSocket::disconnected, this, &WebSocketCalibrate::socketDisconnected);
    Remote* remote = new Remote(nullptr);
    remote->setGate(m_gate);
    connect(remote, &Remote::sendEthenet, socket, &QWebSocket::sendTextMessage);
    connect(socket, &QWebSocket::textMessageReceived, remote, &Remote::processTextMessage);
    m_clients << socket;
    m_remotes << remote;
}

void WebSocketCalibrate::processTextMessage(QString message) { sendTextMessage(message); }

void WebSocketCalibrate::sendTextMessage(QString message)
{
    QWebSocket* client = qobject_cast<QWebSocket*>(sender());
    if (m_debug)
        qDebug() << "m_debug" << message;
    if (client) {
        qDebug() << "Message sent client 2:" << message;
        client->sendTextMessage(message);
    } else {
        qDebug() << "Message received No client" << message;
    }
}

void WebSocketCalibrate::processBinaryMessage(QByteArray message)
{
    QWebSocket* client = qobject_cast<QWebSocket*>(sender());
    if (m_debug)
        qDebug() << "Binary Message received 3: " << message;
    if (client)
        client->sendBinaryMessage(message);
}

void WebSocketCalibrate::socketDisconnected()
{
    QWebSocket* client = qobject_cast<QWebSocket*>(sender());
    if (m_debug)
        qDebug() << "socketDisconnected:" << client;
    const int index = m_clients.indexOf(client);
    if (index < 0)
        return;
    m_clients.removeAt(index);
    // The interpreter goes with its peer (held back while one of its lines still runs).
    m_remotes.takeAt(index)->deleteLater();
    client->deleteLater();
}
