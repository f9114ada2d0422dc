#include "socketCalibrate.h"

#include "commandgate.h"
#include "remote.h"

#include <QDebug>
#include <QSignalMapper>
#include <QTcpServer>
#include <QTcpSocket>

SocketCalibrate::SocketCalibrate(unsigned short port, bool debug, QObject* parent)
    : QObject(parent), m_debug(debug), m_server(new QTcpServer(this)), m_mapper(new QSignalMapper(this)),
      m_gate(new CommandGate(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SocketCalibrate::onNewConnection);
    connect(m_mapper, &QSignalMapper::mappedObject, this, &SocketCalibrate::onDisconnected);
    // A taken port leaves the instrument without a remote server; listen() says so.
    listen(QHostAddress::Any, port);
}

SocketCalibrate::~SocketCalibrate() { m_server->close(); }

bool SocketCalibrate::listen(const QHostAddress& address, unsigned short port)
{
    if (!m_server->listen(address, port)) {
        qCritical("Cannot start server: %s", qPrintable(m_server->errorString()));
        return false;
    }
    qDebug("Echo server is listening on %s:%d.", qPrintable(address.toString()), static_cast<int>(m_server->serverPort()));
    return true;
}

bool SocketCalibrate::isListening() const { return m_server->isListening(); }

unsigned short SocketCalibrate::serverPort() const { return m_server->serverPort(); }

Remote* SocketCalibrate::createRemote(QTcpSocket* socket) { return new Remote(socket); }

void SocketCalibrate::onNewConnection()
{
    QTcpSocket* socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    Remote* remote = createRemote(socket);
    remote->setGate(m_gate);
    connect(socket, &QTcpSocket::readyRead, remote, &Remote::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, remote, &QObject::deleteLater);
    connect(socket, &QTcpSocket::disconnected, m_mapper, qOverload<>(&QSignalMapper::map));
    m_mapper->setMapping(socket, socket);
}

void SocketCalibrate::onDisconnected(QObject* socketObject)
{
    QTcpSocket* socket = qobject_cast<QTcpSocket*>(socketObject);
    if (!socket)
        return;
    qDebug("Client %s:%d has disconnected.", socket->peerAddress().toString().toLocal8Bit().constData(),
           static_cast<int>(socket->peerPort()));
    socket->deleteLater();
}
