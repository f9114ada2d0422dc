import QtQuick 2.15
import QtQuick.Controls 1.4

// "Ranging" while the modem ranges: after 15 s the box closes and hides the ranging panel.
Dialogo {
    id: dialog

    property Item panel

    title: qsTr("Ranging")
    showDone: false
    showCancel: false
    boxWidth: 300
    boxHeight: 160

    BusyIndicator {
        anchors.centerIn: parent
        running: true
    }
    Timer {
        interval: 15000
        running: true
        onTriggered: {
            if (dialog.panel)
                dialog.panel.visible = false
            dialog.close()
        }
    }
}
