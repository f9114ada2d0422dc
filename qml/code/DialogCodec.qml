import QtQuick 2.15

// The voice codec the VoIP test rates the path for.
DialogChoice {
    title: qsTr("Codec")
    key: "voip_codec"
    options: ["G711+PLC", "GSM EFR", "G729A+VAD", "G7231+VAD", "G711"].map(function (c) {
        return { text: c, value: c }
    })
}
