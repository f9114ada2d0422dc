import QtQuick 2.15

// How many OFDM downstreams the modem analyses: one (stored 0) or two (stored 1).
DialogChoice {
    title: qsTr("OFDM DS")
    key: "cable_modem_ofdm_ds"
    options: [{ text: "1 DS", value: 0 }, { text: "2 DS", value: 1 }]
}
