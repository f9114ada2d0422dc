#include "networkinterface.h"

#include "platform/Platform.h"

#include <QRegularExpression>
#include <QString>

NetworkInterface* NetworkInterface::getInstance()
{
    static NetworkInterface instance;
    return &instance;
}

bool NetworkInterface::isEthernetStatic() const
{
    std::string text;
    if (platform::board().readFile("/etc/network/interfaces", &text) != 0)
        return false;
    // A commented-out stanza does not count.
    static const QRegularExpression stanza(QStringLiteral("^\\s*iface\\s+eth0\\s+inet\\s+static\\b"),
                                           QRegularExpression::MultilineOption);
    return stanza.match(QString::fromStdString(text)).hasMatch();
}

void NetworkInterface::get_IP_DHCPs()
{
    platform::Board& board = platform::board();
    board.runShell("mount -o remount,rw /");
    board.runShell("udhcpc -i eth1 &");
    if (!isEthernetStatic())
        board.runShell("udhcpc -i eth0 &");
}
