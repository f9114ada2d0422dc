import QtQuick 2.15

// The unit levels are shown in; the starred ones add 20 dB.
DialogChoice {
    title: qsTr("Units")
    key: "current_units"
    options: ["dB\u03BCV", "dBmV", "dBm", "dB\u03BCV*", "dBmV*", "dBm*"].map(function (u) {
        return { text: u, value: u }
    })
}
