import QtQuick 2.15
import QtQuick.Controls 1.4
import Launcher 1.0
import "qrc:///js/code/miscelanea.js" as Miscelanea
import "qrc:///js/code/cablemodem.js" as CableModem

// The target of the VoIP and IPTV tests and their start and stop: four octet keys under
// "IP ADDRESS:" (each typed from 0 to 255) and "SEND", which reads "STOP" while a test runs.
// A test starts only with four valid octets. The DHCP clients run while the screen shows;
// leaving stops them and puts the root file system back read-only.
Item {
    id: panel

    property var octets: CableModem.octets(appVariables.getScreensVariables()["iptv_voip_ip"])
    property bool running: false
    // The unsigned 32-bit address, or -1.
    readonly property real address: CableModem.ipAddress(octets)
    signal start(real address)
    signal stop()

    height: 96

    function send() {
        if (!running) {
            if (address < 0) {
                Miscelanea.crearDialogWarning(qsTr("The IP address needs four numbers from 0 to 255."), panel.parent)
                return
            }
            var settings = appVariables.getScreensVariables()
            settings["iptv_voip_ip"] = octets.join(".")
            appVariables.setScreensVariables(settings)
            running = true
            start(address)
        } else {
            running = false
            stop()
        }
    }

    Component.onCompleted: networkInterface.get_IP_DHCPs()
    Component.onDestruction: {
        launcher.launch("killall udhcpc")
        launcher.launch("sync")
        launcher.launch("mount -o remount,ro /")
    }

    Launcher {
        id: launcher
    }

    Text {
        id: label
        y: 4
        text: qsTr("IP ADDRESS:")
        color: Theme.textStatus
        font.pixelSize: Theme.fontBody
    }
    Row {
        anchors.top: label.bottom
        anchors.topMargin: 6
        spacing: 4
        Repeater {
            model: 4
            Row {
                spacing: 4
                ScreenButton {
                    objectName: "octet" + index
                    width: 76
                    height: 50
                    fontSize: Theme.fontLarge
                    text: panel.octets[index]
                    onClicked: {
                        var keyboard = Miscelanea.crearDialeg("NumericKeyboard", panel.parent, {
                            title: qsTr("IP ADDRESS:"), minimum: 0, maximum: 255 })
                        var octet = index
                        keyboard.retorno.connect(function (value) {
                            var o = panel.octets.slice()
                            o[octet] = String(value)
                            panel.octets = o
                        })
                    }
                }
                Text {
                    anchors.bottom: parent.bottom
                    visible: index < 3
                    text: "."
                    color: Theme.text
                    font.pixelSize: Theme.fontTitle
                }
            }
        }
        Item {
            width: 16
            height: 1
        }
        ScreenButton {
            objectName: "send"
            width: 120
            height: 50
            fontSize: Theme.fontLarge
            text: panel.running ? qsTr("STOP") : qsTr("SEND")
            selected: panel.running
            onClicked: panel.send()
        }
        BusyIndicator {
            objectName: "sending"
            anchors.verticalCenter: parent.verticalCenter
            running: panel.running
            visible: running
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: panel.running
            text: qsTr("Sending")
            color: Theme.attention
            font.pixelSize: Theme.fontBody
        }
    }
}
