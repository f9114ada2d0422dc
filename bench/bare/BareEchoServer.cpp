// The yardstick of the remote benchmark: a bare Qt TCP server, built apart from every library
// of the project, that sends back whatever it receives. It listens on a free loopback port
// and prints that port as its only output.
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->write(s->readAll()); });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    std::printf("%d\n", static_cast<int>(server.serverPort()));
    std::fflush(stdout);
    return app.exec();
}
