// The remote command server: listens on a TCP port (1234 on the instrument), accepts any
// number of peers and gives each connection its own interpreter; one command line runs at a
// time across all of them. Lives on the GUI thread for the whole run.
#pragma once

#include <QHostAddress>
#include <QObject>

class CommandGate;
class QSignalMapper;
class QTcpServer;
class QTcpSocket;
class Remote;

class SocketCalibrate : public QObject {
    Q_OBJECT
public:
    SocketCalibrate(unsigned short port, bool debug, QObject* parent = nullptr);
    ~SocketCalibrate() override;

    bool listen(const QHostAddress& address, unsigned short port);
    bool isListening() const;
    unsigned short serverPort() const;

signals:
    void closed();

public slots:
    void onNewConnection();
    void onDisconnected(QObject* socketObject);

protected:
    // The interpreter for a new connection.
    virtual Remote* createRemote(QTcpSocket* socket);

private:
    bool m_debug;
    QTcpServer* m_server;
    QSignalMapper* m_mapper;
    CommandGate* m_gate;
};
