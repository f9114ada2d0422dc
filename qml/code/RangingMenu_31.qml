import QtQuick 2.15
import "qrc:///js/code/cablemodem.js" as CableModem
import "qrc:///js/code/definitions.js" as Definitions

// The ranging panel beside the spectrum: the modem's primary downstream channel (a QAM or
// an OFDM one) and its upstream channel, as the engine reports them while the panel shows.
Item {
    id: panel

    // The screen's settings copy and whether its test is the DOCSIS 3.1 signal's.
    property var settings: ({})
    property bool ofdmSignal: false
    property bool active: false
    // Whether the downstream table shows a channel the modem reported.
    property bool filled: false
    // The upstream channel's level in dBµV, kept to show it in a newly chosen unit at once.
    property real upDbuV: NaN
    readonly property string units: CableModem.units(settings)
    readonly property alias downstream: down
    readonly property alias upstream: up

    readonly property var qamNames: [qsTr("System"), qsTr("Symbol Rate"), qsTr("Modulation"), "MER", "PreBER",
                                     "PostBER", qsTr("Interleaver"), qsTr("Offset")]
    readonly property var ofdmNames: [qsTr("System"), qsTr("Frequency PLC"), qsTr("FFT size"), qsTr("PLC MER"),
                                      qsTr("Active Carriers"), qsTr("NCP Modulation"), qsTr("Time Interleave"),
                                      qsTr("Spacing")]

    function upNames(ofdma) {
        return ["UCD", qsTr("Frequency"), ofdma ? qsTr("Speed") : qsTr("Symbol Rate"), qsTr("Bandwidth"),
                ofdma ? qsTr("FFT size") : qsTr("Modulation"), qsTr("Power"), qsTr("Attenuation")]
    }

    function resetAll() {
        down.setNames(ofdmSignal ? ofdmNames : qamNames)
        filled = false
        resetUp()
    }
    function resetUp() {
        up.setNames(upNames(false))
        upDbuV = NaN
    }
    onUnitsChanged: {
        if (!isNaN(upDbuV))
            up.setValue(5, level(upDbuV))
    }

    function fill(table, values) {
        for (var i = 0; i < values.length; ++i)
            table.setValue(i, values[i])
    }
    function withUnit(text, unit) { return text === CableModem.NONE ? text : text + unit }
    function level(dBuV) { return withUnit(CableModem.levelText(dBuV), " " + units) }
    function rangeMark(value, range) {
        var text = CableModem.exponent(value)
        return Number(range) === 2 && text !== CableModem.NONE ? "<" + text : text
    }
    // A BER of the 3.1 modem's report: its text as it comes (a bound reads "< 1.04e-08"),
    // a number in exponent form; "<" before a value under the range that does not say so.
    function berText(value, range) {
        var text = typeof value === "number" ? CableModem.exponent(value) : CableModem.text(value)
        var under = Number(range) === 2 || range === "eUnderRange"
        return under && text !== CableModem.NONE && text.charAt(0) !== "<" ? "<" + text : text
    }

    // An upstream channel: its frequency in MHz, bandwidth in MHz and level in dBmV.
    function showUp(e, ofdma, frequencyMhz, bandwidthMhz, dBmV, modulation) {
        up.setNames(upNames(ofdma))
        upDbuV = CableModem.upLevelDbuV(dBmV)
        fill(up, [CableModem.text(e["uci"]), withUnit(CableModem.fixed(frequencyMhz, 2), " MHz"),
                  withUnit(CableModem.text(e["sr"]), " kbits/s"),
                  withUnit(CableModem.fixed(bandwidthMhz, 2), " MHz"), modulation, level(upDbuV),
                  withUnit(CableModem.fixed(CableModem.attenuation(dBmV, settings), 1), " dB")])
    }

    function onDades31(m) {
        if (m["plc_freq"] === undefined || String(m["plc_freq"]) === "")
            return
        down.setNames(ofdmNames)
        filled = true
        // The PLC MER comes in dB.
        fill(down, ["OFDM", withUnit(CableModem.mhz(m["plc_freq"], 2), " MHz"), CableModem.text(m["mod"]),
                    withUnit(CableModem.merDb(m["plc_mer"], 1), " dB"), CableModem.text(m["active_carriers"]),
                    withUnit(CableModem.text(m["ncp_mod"]), " QAM"),
                    withUnit(CableModem.text(m["time_interleave"]), " \u03BCs"),
                    withUnit(CableModem.text(m["subcarrier_freq"]), " kHz")])
    }

    function onUpsOfdm(list) {
        if (list.length > 0)
            showUp(list[0], true, list[0]["freq"], list[0]["bw"], list[0]["power"], CableModem.text(list[0]["mod"]))
    }

    function onUpsBonding(list) {
        if (list.length === 0)
            return
        var e = list[0]
        for (var i = 0; i < list.length; ++i)
            if (CableModem.number(list[i]["uci"]) === 1)
                e = list[i]
        showUp(e, false, e["freq"], CableModem.number(e["bw"]) / 1e6, e["power"], CableModem.text(e["mod"]))
    }

    // The 3.0 channel map: MER in tenths of dB, without the modem's offset.
    function onPhy(phy) {
        if (phy["mse"] === undefined) {
            resetAll()
            return
        }
        if (Number(phy["sr"]) === Definitions.UNMEASURED)
            return
        var mer = Math.abs(CableModem.number(phy["mse"])) / 10 + Definitions.TALMER_CM_MER_dB
        down.setNames(qamNames)
        filled = true
        fill(down, [Definitions.annex(phy["annex"]), withUnit(CableModem.text(phy["sr"]), " kbits/s"),
                    "QAM " + CableModem.text(phy["mod"]), withUnit(CableModem.fixed(mer, 0), " dB"),
                    rangeMark(phy["preber"], phy["pre_range"]), rangeMark(phy["postber"], phy["post_range"]),
                    "i=" + CableModem.text(phy["ili"]) + ", j=" + CableModem.text(phy["ilj"]),
                    withUnit(CableModem.fixed(CableModem.number(phy["offset"]) / 1000, 2), " kHz")])
        if (!(mer >= 23))
            resetUp()
    }

    // The 3.1 modem's SC-QAM channel map: MER in dB, texts as the modem gives them.
    function onPhy30(phy) {
        if (phy["mse"] === undefined) {
            resetAll()
            return
        }
        var mer = Math.abs(CableModem.number(phy["mse"]))
        down.setNames(qamNames)
        filled = true
        fill(down, [CableModem.text(phy["annex"]), withUnit(CableModem.text(phy["sr"]), " kbits/s"),
                    CableModem.text(phy["modulation"]), withUnit(CableModem.fixed(mer, 0), " dB"),
                    berText(phy["pre_ber"], phy["pre_range"]), berText(phy["postber"], phy["post_range"]),
                    CableModem.text(phy["interleaver"]),
                    withUnit(CableModem.fixed(CableModem.number(phy["f_offset"]) / 1000, 2), " kHz")])
        if (!(mer >= 23))
            resetUp()
    }

    function onUps30(list) {
        for (var i = 0; i < list.length; ++i) {
            var e = list[i]
            if (CableModem.number(e["frequency_bw"]) > 0) {
                showUp(e, false, CableModem.number(e["frequency_bw"]) / 1e6, CableModem.number(e["bw"]) / 1e6,
                       CableModem.number(e["power"]) / 10, Definitions.modulation_to_string(e["mod"]))
                return
            }
        }
    }

    Component.onCompleted: resetAll()

    Connections {
        target: measuresCM
        enabled: panel.active && panel.visible
        function onS_send_dades_31(m) { panel.onDades31(m) }
        function onUpsOFDMChanged_31(list) { panel.onUpsOfdm(list) }
        function onUpsBondingChanged_31(list) { panel.onUpsBonding(list) }
        function onPhyChanged(phy) { panel.onPhy(phy) }
        function onPhy_3_0_Changed(phy) { panel.onPhy30(phy) }
        function onUpsChanged(list) { panel.onUps30(list) }
    }

    TableRanging_31 {
        id: down
        objectName: "DOWNSTREAM"
        width: parent.width
        title: qsTr("DOWNSTREAM")
        rowsCount: 8
    }
    TableRanging_31 {
        id: up
        objectName: "UPSTREAM"
        anchors.top: down.bottom
        anchors.topMargin: 4
        width: parent.width
        title: qsTr("UPSTREAM")
        rowsCount: 7
    }
}
