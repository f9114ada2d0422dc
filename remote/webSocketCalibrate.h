// The command server over WebSocket, an available front end the application does not
// start: each peer's text messages run through its own interpreter (the answers are not
// sent back), binary messages come back unchanged.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class CommandGate;
class QWebSocket;
class QWebSocketServer;
class Remote;

class WebSocketCalibrate : public QObject {
    Q_OBJECT
public:
    WebSocketCalibrate(unsigned short port, bool debug, QObject* parent = nullptr);
    ~WebSocketCalibrate() override;

    bool isListening() const;
    unsigned short serverPort() const;

signals:
    void closed();

public slots:
    void onNewConnection();
    void processTextMessage(QString message);
    void processBinaryMessage(QByteArray message);
    void socketDisconnected();
    void sendTextMessage(QString message);

private:
    QWebSocketServer* m_pWebSocketServer;
    QList<QWebSocket*> m_clients;
    bool m_debug;
    QList<Remote*> m_remotes; // one per client, at the client's index
    CommandGate* m_gate;
};
