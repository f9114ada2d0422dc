// The remote command server: listens on a TCP port (1234 on the instrument), accepts peers
// and gives each connection its own interpreter; one command line runs at a time across all
// of them. A peer that closes its sending side still gets the answers to what it sent. Lives
// on the GUI thread for the whole run.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>

class CommandGate;
class QSignalMapper;
class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class Remote;

class SocketCalibrate : public QObject {
    Q_OBJECT
public:
    // Far more peers than a factory bench connects; further ones are refused (closed at
    // once), so that idle connections cannot use up the process's descriptors.
    static constexpr int kMaxPeers = 64;
    // Out of descriptors, accepting pauses this long, instead of failing on every pass of
    // the event loop.
    static constexpr int kAcceptPauseMs = 500;

    // Listens on address (every interface unless told otherwise) at port; 0 takes a free one.
    SocketCalibrate(unsigned short port, bool debug, QObject* parent = nullptr,
                    const QHostAddress& address = QHostAddress::Any);
    ~SocketCalibrate() override;

    bool listen(const QHostAddress& address, unsigned short port);
    bool isListening() const;
    unsigned short serverPort() const;
    // Connections still open (their answers may still be leaving).
    int peerCount() const { return m_peers; }

signals:
    void closed();

public slots:
    // Accepts what waits on the listening socket.
    void onNewConnection();
    void onDisconnected(QObject* socketObject);

protected:
    // The interpreter for a new connection.
    virtual Remote* createRemote(QTcpSocket* socket);
    // Serves a connected descriptor as an accepted one (counted, capped, given its writer);
    // the server owns it from here. False when it was refused and closed.
    bool serve(qintptr descriptor);

private:
    void pauseAccepting(const char* why);

    bool m_debug;
    QTcpServer* m_server;
    QSignalMapper* m_mapper;
    CommandGate* m_gate;
    int m_peers = 0;
    QSocketNotifier* m_acceptor = nullptr; // the listening socket's readiness
    QTimer m_resume;
};
