import QtQuick 2.15

// Whether a 20 dB pad sits in the modem's path.
DialogChoice {
    title: qsTr("Att CM")
    key: "cable_modem_ATT"
    options: [{ text: "0 dB", value: false }, { text: "20 dB", value: true }]
}
