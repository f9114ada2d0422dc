// What the cable-modem screens share: the measure code a screen starts and its frequency,
// the modem's figures read as numbers, the levels, MER and frequencies as the tables show
// them, the rows the engine's reports fill, and the address typed on the VoIP and IPTV
// screens. The modem reports many figures as text: they are read as numbers here before
// any arithmetic, and one that is not a number (or is unmeasured) shows as "---".
.import "definitions.js" as Definitions
.import "miscelanea.js" as Miscelanea

var NONE = "---";

// Marks of a result's check column: not measured yet, no check at all, a pass or a fail.
var CHECK_UNMEASURED = -1;
var CHECK_NONE = 0;
var CHECK_PASS = 1;
var CHECK_FAIL = 2;

// A figure of the modem (a number or its text) as a number; NaN for none or unmeasured.
function number(value) {
    if (value === undefined || value === null || typeof value === "boolean")
        return NaN;
    var n = typeof value === "number" ? value : parseFloat(String(value));
    return isFinite(n) && n !== Definitions.UNMEASURED ? n : NaN;
}

function fixed(value, decimals) {
    var n = number(value);
    return isNaN(n) ? NONE : n.toFixed(decimals);
}

// A text figure without the blanks the modem's reports leave around it; "---" for none.
function text(value) {
    return Miscelanea.comprovaString(typeof value === "string" ? value.trim() : value);
}

function mhz(hz, decimals) {
    return fixed(number(hz) / 1e6, decimals);
}

// An error count or rate in exponent form, as "1.23e-05".
function exponent(value) {
    var n = number(value);
    return isNaN(n) ? NONE : n.toLocaleString(Qt.locale("en_GB"), "e", 2);
}

// A MER in dB, whatever sign the modem gives it.
function merDb(value, decimals) {
    return fixed(Math.abs(number(value)), decimals);
}

// --- the test a screen starts --------------------------------------------------------

function tunedByFrequency(settings) {
    return String(settings["frecuencia_habilitada"]) !== "false";
}

function isModel31(settings) {
    return Number(settings["hardware_model"]) === Definitions.CONST_HW_MODEL.HW_MODEL_CABLE_CM31;
}

// DOCSIS 3.1 signal: the frequency's system when tuned by frequency, the channel's otherwise.
function isSignal31(settings, channel) {
    var system = tunedByFrequency(settings) ? settings["freq_demod_digital_system"]
                                            : (channel ? channel["system"] : "");
    return String(system) === "D3.1";
}

// The code of the 3.1 model (its signal-3.1 variant for a 3.1 signal), or of the others.
function measureCode(settings, channel, code30, code31, code31Signal31) {
    if (!isModel31(settings))
        return code30;
    return isSignal31(settings, channel) ? code31Signal31 : code31;
}

// The frequency to test in Hz: the setting when tuned by frequency, the channel's otherwise.
function tuneFrequency(settings, channel) {
    var hz = tunedByFrequency(settings) ? number(settings["frequency"]) : number(channel ? channel["frequency"] : NaN);
    return isNaN(hz) || hz < 0 ? 0 : Math.round(hz);
}

// --- levels ----------------------------------------------------------------------------

function units(settings) {
    var u = settings["current_units"];
    return u === undefined || u === "" ? "dB\u03BCV" : String(u);
}

// A dBµV level in the user's unit with one decimal; "---" for none.
function levelText(dBuV) {
    var v = number(dBuV);
    return isNaN(v) ? NONE : Miscelanea.conversion_dBuV_To_current_units(v).toFixed(1);
}

// A downstream level of the modem (dBmV) in dBµV, with the modem's compensation: every
// screen shows the modem's downstream levels through this one function, so one channel
// reads the same on all of them.
function downLevelDbuV(dBmV) {
    var v = number(dBmV);
    return isNaN(v) ? NaN : Miscelanea.conversion_dBmV_To_dBuV(v + Definitions.TALMER_CM_COMPESACION_dB);
}

function upLevelDbuV(dBmV) {
    var v = number(dBmV);
    return isNaN(v) ? NaN : Miscelanea.conversion_dBmV_To_dBuV(v);
}

// The path loss to the head end: the level sent against the level it expects ("powerCMTS",
// tenths of dBµV).
function attenuation(dBmV, settings) {
    var expected = number(settings["powerCMTS"]);
    return upLevelDbuV(dBmV) - (isNaN(expected) ? 0 : expected / 10);
}

// --- the registration tables -----------------------------------------------------------

// The row of a channel: its position in the modem's list ("index", a number or its text);
// -1 when it has none.
function rowOf(element, fallback) {
    var n = number(element["index"]);
    if (isNaN(n))
        return fallback === undefined ? -1 : fallback;
    return n === Math.floor(n) ? n : -1;
}

// A row's level: shown in the user's unit, and kept in dBµV ("level") for a change of unit.
function withLevel(row, dBuV) {
    row.level = dBuV;
    row.power = levelText(dBuV);
    return row;
}

function downOfdmRow(e) {
    return withLevel({ channel: text(e["uci"]), frequency: mhz(e["plc_freq"], 2), mer_att: merDb(e["mer_att"], 1),
                       sr: text(e["active_profiles"]) }, downLevelDbuV(e["power"]));
}

function downBondingRow(e) {
    return withLevel({ channel: text(e["uci"]), frequency: mhz(e["freq"], 2), mer_att: merDb(e["mer_att"], 1),
                       sr: text(e["sr"]) }, downLevelDbuV(e["power"]));
}

// A 3.1 modem's SC-QAM channel report (frequency already in MHz).
function phy31Row(phy) {
    return withLevel({ channel: text(phy["uci"]), frequency: fixed(phy["rf_frequency"], 2),
                       mer_att: merDb(phy["mse"], 1), sr: text(phy["sr"]) }, downLevelDbuV(phy["power"]));
}

// An upstream channel: its frequency (MHz, with the bandwidth in Hz when given), level and
// the loss to the head end.
function upsRow(e, settings, frequencyMhz, bandwidthHz) {
    var frequency = fixed(frequencyMhz, 2);
    if (bandwidthHz !== undefined)
        frequency += "/" + mhz(bandwidthHz, 2);
    return withLevel({ channel: fixed(e["uci"], 0), frequency: frequency,
                       mer_att: fixed(attenuation(e["power"], settings), 1), sr: text(e["sr"]) },
                     upLevelDbuV(e["power"]));
}

// The 3.0 channel map: on the 3.1 model its MER is already in dB and its level in dBmV;
// the 3.0 modem gives both in tenths. Null when the map says nothing to show.
function phy30Row(phy, model31) {
    if (phy["mse"] === undefined)
        return null;
    if (model31) {
        if (number(phy["sr"]) !== number(phy["sr"]))
            return null;
        return withLevel({ frequency: mhz(phy["freq"], 2),
                           mer_att: fixed(Math.abs(number(phy["mse"])) + Definitions.TALMER_CM_MER_dB, 1),
                           sr: text(phy["sr"]) }, downLevelDbuV(phy["power"]));
    }
    if (!(number(phy["freq"]) > 0))
        return null;
    return withLevel({ frequency: mhz(phy["freq"], 2),
                       mer_att: fixed(Math.abs(number(phy["mse"])) / 10 + Definitions.TALMER_CM_MER_dB, 1),
                       sr: fixed(phy["sr"], 0) }, downLevelDbuV(number(phy["power"]) / 10));
}

// The 3.0 upstream list's channel, its level in tenths of dBmV. Null without a frequency.
function ups30Row(e, settings) {
    if (!(number(e["frequency_bw"]) > 0))
        return null;
    var dBmV = number(e["power"]) / 10;
    return withLevel({ channel: text(e["uci"]), frequency: mhz(e["frequency_bw"], 2) + "/" + mhz(e["bw"], 2),
                       mer_att: fixed(attenuation(dBmV, settings), 1), sr: text(e["sr"]) }, upLevelDbuV(dBmV));
}

// --- the VoIP and IPTV address ---------------------------------------------------------

// The four octet texts of a dotted address; "---" for a missing part.
function octets(dotted) {
    var parts = String(dotted === undefined || dotted === null ? "" : dotted).split(".");
    var out = [];
    for (var i = 0; i < 4; ++i)
        out.push(parts[i] === undefined || parts[i] === "" ? "---" : parts[i]);
    return out;
}

// The address of four octet texts as an unsigned 32-bit number; -1 unless each of the four
// is a whole number from 0 to 255.
function ipAddress(parts) {
    if (!parts || parts.length !== 4)
        return -1;
    var address = 0;
    for (var i = 0; i < 4; ++i) {
        var t = String(parts[i]);
        if (!/^[0-9]{1,3}$/.test(t) || Number(t) > 255)
            return -1;
        address = address * 256 + Number(t);
    }
    return address;
}

// --- VoIP and IPTV figures -------------------------------------------------------------

// A figure the engine sends in tenths (a time in tenths of a millisecond with half a tenth
// added to round it, a loss in tenths of a percent) in whole units with one decimal.
function tenths(value) {
    return fixed(Math.floor(number(value)) / 10, 1);
}

// A hop of the trace as the IPTV screen describes it.
function hopLatency(hop) {
    return isNaN(number(hop["ltcy"])) ? "--" : tenths(hop["ltcy"]) + " ms";
}

function hopJitter(hop) {
    return isNaN(number(hop["ltcy"])) || isNaN(number(hop["jitter"])) ? "--" : tenths(hop["jitter"]) + " ms";
}

function hopLoss(hop) {
    var lost = number(hop["perduts"]);
    return isNaN(lost) ? "--" : (100 * lost / 3).toFixed(2) + "%";
}

// --- entering and leaving --------------------------------------------------------------

// Entering a cable-modem screen: every engine stops before the screen starts its own test.
function stopAll(frame) {
    frame.stop_mesura();
    measuresCM.aturar();
    measuresIQ.aturar();
}

// The screen a "BACK" key leads to: the one before, unless that was one of this family of
// screens or there is no such screen; then the downstream analyser, or the main menu.
function backScreen(previous, family, designOf) {
    var target = family.indexOf(previous) >= 0 || previous === "" ? "DOCSIS_DOWNSTREAM_SPECTRUM_ANALYZER" : previous;
    return designOf(target) === "" ? "MAIN_MENU" : target;
}

// --- the spectrum screens ----------------------------------------------------------------

// The downstream band of the modem's spectrum screens, and of its DOCSIS 3.1 analysis.
var DOWNSTREAM_MIN_HZ = 85e6;
var DOWNSTREAM_MAX_HZ = 1218e6;
var DOWNSTREAM_31_MIN_HZ = 108e6;
var DOWNSTREAM_31_MAX_HZ = 1218e6;
var DEFAULT_SPAN_HZ = 100e6;

// A copy of the screen's settings with "frequency" clamped into the band and a span (the
// stored one, or the default).
function prepareSpectrum(screenSettings, minHz, maxHz) {
    var settings = Object.assign({}, screenSettings);
    var f = number(settings["frequency"]);
    settings["frequency"] = Math.round(Math.min(maxHz, Math.max(minHz, isNaN(f) ? minHz : f)));
    var span = number(settings["span"]);
    if (!(span > 0))
        settings["span"] = DEFAULT_SPAN_HZ;
    return settings;
}

// What the tune key shows: the channel's name and frequency, or the frequency.
function tuneText(settings, channel) {
    if (!tunedByFrequency(settings) && channel && channel["name"] !== undefined)
        return String(channel["name"]) + "  " + mhz(channel["frequency"], 2) + " MHz";
    return mhz(settings["frequency"], 2) + " MHz";
}

// Saves the screen's settings and has the RF engine sweep the given points.
function startSpectrum(frame, settings, points) {
    appVariables.setScreensVariables(settings);
    measuresSpectrum.setVariablesQML();
    measuresSpectrum.setListaFrequencyMeasures(points);
    frame.change_mesura(Definitions.CONST_TIPUS_MESURA.SPECTRUM);
}

// Asking for demodulation on the scan and upstream screens: a DOCSIS 3.1 signal is analysed
// by the modem on the OFDM downstream screen at its frequency on the 3.1 model, while the
// other models need the modem's application (a warning over the page says so); nothing
// else leads anywhere. The frequency is stored with its system (tuned by channel, the
// analysis makes the block the channel): the modem screens that follow choose their test
// by it, and an SC-QAM test at the block's frequency would find nothing.
function demodulate(frame, page, settings, signal31, frequencyHz) {
    if (!signal31)
        return;
    if (!isModel31(settings)) {
        Miscelanea.crearDialogWarning(qsTranslate("cablemodem", "Charge DOCSIS CABLE MODEM APP"), page);
        return;
    }
    var s = Object.assign({}, settings);
    s["frequency"] = Math.round(frequencyHz);
    s["freq_demod_type"] = "DIGITAL";
    s["freq_demod_digital_system"] = "D3.1";
    appVariables.setScreensVariables(s);
    frame.stop_mesura();
    frame.loadScreen("DOWN_SCAN_DEMOD_31");
}

// --- the OFDM downstream analysis ----------------------------------------------------------

// The rows of the OFDM, PLC and profile tables with the key each value comes from; a row
// whose figure is a quality figure has a check.
var OFDM_ROWS = ["Bandwidth", "Subcarrier", "Ripple RMS", "ICFR", "MER Std dev/Pctl"];
var OFDM_CHECKED = [false, false, true, true, true];
var PLC_ROWS = ["Frequency", "Power", "MER", "Modulation", "C-CWE", "U-CWE"];
var PLC_CHECKED = [false, true, true, false, true, true];
var PROFILE_ROWS = ["NCP", "PROFILE A", "PROFILE B", "PROFILE C", "PROFILE D"];
var PROFILE_KEYS = ["ncp", "profileA", "profileB", "profileC", "profileD"];

function checks(checked) {
    return checked.map(function (c) { return c ? CHECK_UNMEASURED : CHECK_NONE; });
}

function withUnit(value, unit) {
    return value === NONE ? value : value + unit;
}

// The values of the OFDM table's rows, "undefined" where the analysis gave nothing.
function ofdmValues(m) {
    var present = function (k) { return m[k] !== undefined && String(m[k]) !== ""; };
    return [present("bandwidth") ? withUnit(mhz(m["bandwidth"], 3), " MHz") : undefined,
            present("subcarrier_freq") ? text(m["subcarrier_freq"]) + " kHz / " + text(m["n_subcarriers"]) : undefined,
            present("ripple_rms") ? text(m["ripple_rms"]) + " dB" : undefined,
            present("icfr") ? withUnit(fixed(m["icfr"], 2), " dB") : undefined,
            present("mer_sigma") && present("mer_pctl")
                ? text(m["mer_sigma"]) + " / " + text(m["mer_pctl"]) + " dB" : undefined];
}

// Whether the analysis gave any figure at all (its "locked" flag is none).
function anyFigure(m) {
    for (var k in m)
        if (k !== "locked" && text(m[k]) !== NONE)
            return true;
    return false;
}

// The data logger's entry of an analysis: its figures, at the frequency of the channel the
// modem analysed (its PLC; the modem finds the channel by itself, so the tuned frequency
// may be another). None while nothing was measured.
// Its levels are kept as the screen shows them, in the user's unit, which they name.
function ofdmLoggerEntries(m, tunedHz, settings) {
    if (!anyFigure(m))
        return [];
    var entry = {};
    for (var k in m)
        if (typeof m[k] !== "object")
            entry[k] = typeof m[k] === "string" ? m[k].trim() : m[k];
    var plc = number(m["plc_freq"]);
    entry["frequency"] = isNaN(plc) ? tunedHz : plc;
    var levels = ["pwr_avg", "plc_pwr"];
    for (var i = 0; i < levels.length; ++i)
        if (entry[levels[i]] !== undefined)
            entry[levels[i]] = withUnit(levelText(downLevelDbuV(m[levels[i]])), " " + units(settings));
    return [entry];
}

function plcValues(m, settings) {
    var present = function (k) { return m[k] !== undefined && String(m[k]) !== ""; };
    return [present("plc_freq") ? withUnit(mhz(m["plc_freq"], 3), " MHz") : undefined,
            present("plc_pwr") ? withUnit(levelText(downLevelDbuV(m["plc_pwr"])), " " + units(settings)) : undefined,
            present("plc_mer") ? withUnit(fixed(m["plc_mer"], 1), " dB") : undefined,
            present("plc_mod") ? text(m["plc_mod"]) : undefined,
            present("plc_ccwe") ? exponent(m["plc_ccwe"]) : undefined,
            present("plc_ucwe") ? exponent(m["plc_ucwe"]) : undefined];
}

// --- the upstream generator ---------------------------------------------------------------

// Frequencies (Hz) and levels (dBµV) the generator allows in a DOCSIS mode (0 3.0, 1 3.1).
function generatorLimits(docsisMode) {
    return Number(docsisMode) === 1 ? { minHz: 5e6, maxHz: 204e6, minDbuV: 40, maxDbuV: 130 }
                                    : { minHz: 5e6, maxHz: 85e6, minDbuV: 60, maxDbuV: 120 };
}

function clamp(value, low, high) {
    return Math.min(high, Math.max(low, value));
}

// A copy of the generator's settings with its frequencies and level within the mode's limits.
function clampGenerator(screenSettings) {
    var s = Object.assign({}, screenSettings);
    var l = generatorLimits(s["up_test_docsis_mode"]);
    var keys = ["up_test_start", "up_test_stop", "up_test_freq_fix"];
    for (var i = 0; i < keys.length; ++i) {
        var f = number(s[keys[i]]);
        s[keys[i]] = clamp(isNaN(f) ? l.minHz : f, l.minHz, l.maxHz);
    }
    var power = number(s["up_test_power"]);
    s["up_test_power"] = clamp(isNaN(power) ? 10 * l.minDbuV : power, 10 * l.minDbuV, 10 * l.maxDbuV);
    return s;
}

function modulationName(value) {
    var list = Definitions.digital_modulations_up;
    for (var i = 0; i < list.length; ++i)
        if (list[i].value === Number(value))
            return list[i].name;
    return NONE;
}
