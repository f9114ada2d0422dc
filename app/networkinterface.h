// The unit's Ethernet configuration as the screens use it (context property
// "networkInterface"): starting the DHCP clients before an IP test.
#pragma once

#include <QObject>

class NetworkInterface : public QObject {
    Q_OBJECT
public:
    static NetworkInterface* getInstance();

    // Remounts the root file system read-write (the clients rewrite "/etc/resolv.conf";
    // the screen remounts it read-only when it is left) and starts "udhcpc" on eth1, and
    // on eth0 unless "/etc/network/interfaces" gives eth0 a static address.
    Q_INVOKABLE void get_IP_DHCPs();
    Q_INVOKABLE bool isEthernetStatic() const;

private:
    NetworkInterface() = default;
};
