import QtQuick 2.15

// The measurement bar over a spectrum or demodulation screen: the level and, where the
// screen measures it, the MER, in large type.
Rectangle {
    id: bar

    property string pwr_label: qsTr("PWR")
    property string pwr_value: "---"
    property string pwr_units31: "dB\u03BCV"
    property bool showMer: true
    // "AVG" for a mean over the channel.
    property string mer_type: ""
    property string mer_value: "---"

    height: 40
    color: Theme.panel
    border.color: Theme.panelBorder

    Row {
        anchors.verticalCenter: parent.verticalCenter
        x: Theme.margin
        spacing: 40

        Row {
            spacing: 8
            Text {
                anchors.baseline: pwrValue.baseline
                text: bar.pwr_label
                color: Theme.textDim
                font.pixelSize: Theme.fontBody
            }
            Text {
                id: pwrValue
                objectName: "pwr_value"
                text: bar.pwr_value
                color: Theme.text
                font.pixelSize: Theme.fontTitle
                font.bold: true
            }
            Text {
                anchors.baseline: pwrValue.baseline
                text: bar.pwr_units31
                color: Theme.textDim
                font.pixelSize: Theme.fontBody
            }
        }
        Row {
            visible: bar.showMer
            spacing: 8
            Text {
                anchors.baseline: merValue.baseline
                text: "MER" + (bar.mer_type === "" ? "" : " " + bar.mer_type)
                color: Theme.textDim
                font.pixelSize: Theme.fontBody
            }
            Text {
                id: merValue
                objectName: "mer_value"
                text: bar.mer_value
                color: Theme.text
                font.pixelSize: Theme.fontTitle
                font.bold: true
            }
            Text {
                anchors.baseline: merValue.baseline
                text: "dB"
                color: Theme.textDim
                font.pixelSize: Theme.fontBody
            }
        }
    }
}
