#include "socketCalibrate.h"

#include "commandgate.h"
#include "peerWriter.h"
#include "remote.h"

#include <QDebug>
#include <QSignalMapper>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Connections taken per pass of the event loop, so that a flood of them cannot hold it.
constexpr int kAcceptsPerPass = 16;
} // namespace

SocketCalibrate::SocketCalibrate(unsigned short port, bool debug, QObject* parent, const QHostAddress& address)
    : QObject(parent), m_debug(debug), m_server(new QTcpServer(this)), m_mapper(new QSignalMapper(this)),
      m_gate(new CommandGate(this))
{
    connect(m_mapper, &QSignalMapper::mappedObject, this, &SocketCalibrate::onDisconnected);
    m_resume.setSingleShot(true);
    m_resume.setInterval(kAcceptPauseMs);
    connect(&m_resume, &QTimer::timeout, this, [this] {
        if (m_acceptor)
            m_acceptor->setEnabled(true);
    });
    // A taken port leaves the instrument without a remote server; listen() says so.
    listen(address, port);
}

SocketCalibrate::~SocketCalibrate()
{
    delete m_acceptor;
    m_server->close();
}

bool SocketCalibrate::listen(const QHostAddress& address, unsigned short port)
{
    if (!m_server->listen(address, port)) {
        qCritical("Cannot start server: %s", qPrintable(m_server->errorString()));
        return false;
    }
    qDebug("Echo server is listening on %s:%d.", qPrintable(address.toString()), static_cast<int>(m_server->serverPort()));
    // The QTcpServer only holds the listening socket: its own accepting stays off for good, and
    // nothing here may switch it back on (nextPendingConnection() does), or connections would
    // bypass the count, the cap and the writers below. Qt's accepting also retries a failure
    // for want of descriptors at full speed instead of pausing.
    m_server->pauseAccepting();
    delete m_acceptor;
    m_acceptor = new QSocketNotifier(m_server->socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_acceptor, &QSocketNotifier::activated, this, &SocketCalibrate::onNewConnection);
    return true;
}

void SocketCalibrate::onNewConnection()
{
    for (int n = 0; n < kAcceptsPerPass; ++n) {
        const int descriptor = ::accept4(static_cast<int>(m_server->socketDescriptor()), nullptr, nullptr,
                                         SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor >= 0) {
            serve(descriptor);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
            pauseAccepting("has no descriptor left for a connection");
        return; // nothing more waiting (or a failure the next pass meets again)
    }
}

bool SocketCalibrate::isListening() const { return m_server->isListening(); }

unsigned short SocketCalibrate::serverPort() const { return m_server->serverPort(); }

Remote* SocketCalibrate::createRemote(QTcpSocket* socket) { return new Remote(socket); }

void SocketCalibrate::pauseAccepting(const char* why)
{
    if (m_acceptor)
        m_acceptor->setEnabled(false);
    if (!m_resume.isActive()) {
        qDebug("Remote: the server %s - accepting again in %d ms", why, kAcceptPauseMs);
        m_resume.start();
    }
}

bool SocketCalibrate::serve(qintptr descriptor)
{
    if (m_peers >= kMaxPeers) {
        qDebug() << "Remote:" << m_peers << "peers are connected; a further connection is refused";
        ::close(static_cast<int>(descriptor));
        return false;
    }
    PeerWriter* writer = PeerWriter::create(descriptor, this);
    if (!writer) {
        ::close(static_cast<int>(descriptor));
        pauseAccepting("has no descriptor left for a connection");
        return false;
    }
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(static_cast<int>(descriptor));
        delete socket;
        writer->finish();
        return false;
    }
    // Each answer leaves in one write as soon as it is whole: the next one must not wait for
    // the peer to acknowledge the one before, which a peer that delays its acknowledgements
    // would hold up for tens of milliseconds a line.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ++m_peers;
    connect(writer, &QObject::destroyed, this, [this] { --m_peers; });

    Remote* remote = createRemote(socket);
    remote->setGate(m_gate);
    remote->setWriter(writer);
    connect(socket, &QTcpSocket::readyRead, remote, &Remote::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, remote, &Remote::endInput);
    connect(remote, &Remote::inputFinished, remote, &QObject::deleteLater);
    connect(socket, &QTcpSocket::disconnected, m_mapper, qOverload<>(&QSignalMapper::map));
    m_mapper->setMapping(socket, socket);
    connect(remote, &QObject::destroyed, writer, &PeerWriter::finish);
    connect(writer, &PeerWriter::peerGaveUp, socket, &QAbstractSocket::abort);
    return true;
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
