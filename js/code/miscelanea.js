// Helpers the screens share: level units, screen families, the frequency's system,
// dialogs, and the screen's copy of the settings ("variablesPantalla" where the importing
// screen has one, the settings store otherwise).
// A script with imports of its own sees only them, not the importing screen's.
.import QtQml 2.15 as QtQml
.import "definitions.js" as Definitions
.import "warning.js" as Warning

function settings_() {
    return (typeof variablesPantalla !== "undefined" && variablesPantalla) ? variablesPantalla
                                                                          : appVariables.getScreensVariables();
}

function conversion_dBmV_To_dBuV(value) {
    return value + 60;
}

// The user's unit (setting "current_units") as dB below dBµV and the starred 20 dB:
// "dBμV" 0, "dBmV" 60, "dBm" 108.75 (75 Ω); "dBμV*", "dBmV*", "dBm*" add 20 dB.
function currentUnitsOffset_() {
    var units = String(settings_()["current_units"] || "");
    var starred = units.charAt(units.length - 1) === "*";
    var base = starred ? units.substring(0, units.length - 1) : units;
    var below = base === "dBmV" ? 60 : (base === "dBm" ? 108.75 : 0);
    return { below: below, star: starred ? 20 : 0 };
}

// dBµV in the user's unit; an unknown unit leaves dBµV.
function conversion_dBuV_To_current_units(value) {
    var u = currentUnitsOffset_();
    return value - u.below + u.star;
}

// The inverse of conversion_dBuV_To_current_units.
function conversion_current_units_To_dBuV(value) {
    var u = currentUnitsOffset_();
    return value - u.star + u.below;
}

var docsisScreens_ = [
    "DOCSIS_DOWNSTREAM_SPECTRUM_ANALYZER", "DOCSIS_DOWNSTREAM_SPECTRUM_ANALYZER_OPTICAL",
    "DOCSIS_BONDING_GROUP_RF", "DOCSIS_BONDING_GROUP_OPTIC", "DBG_CM", "DBG_CM_OPTICAL",
    "SCAN_CM", "SCAN_CM_OPTICAL", "DOWN_SCAN_DEMOD_31", "REGISTERING", "REGISTERING_31",
    "RANGING", "UPSTREAM_TEST", "VOIP", "IPTV", "SPEED_TEST"
];

// True for the screens that work with the cable modem.
function isScreenDocsis(screen) {
    return docsisScreens_.indexOf(screen) >= 0;
}

// Makes "cable_modem_ofdm_ds" 0 or 1 in the screen's settings and returns the number of
// OFDM downstreams, 1 or 2.
function chekcOfdmDs() {
    var s = settings_();
    s["cable_modem_ofdm_ds"] = Number(s["cable_modem_ofdm_ds"]) === 1 ? 1 : 0;
    return s["cable_modem_ofdm_ds"] + 1;
}

// The digital system of the frequency the screen tunes by ("D3.1", ...).
function getSystemFrequency() {
    var system = settings_()["freq_demod_digital_system"];
    return system === undefined ? "" : String(system);
}

// Opens the dialog qml/code/<name>.qml over the parent, with the given initial properties;
// null when it cannot be made.
function crearDialeg(name, parent, properties) {
    var component = Qt.createComponent("qrc:///qml/code/" + name + ".qml");
    if (component.status !== QtQml.Component.Ready) {
        console.log("crearDialeg " + name + ": " + component.errorString());
        return null;
    }
    return component.createObject(parent, properties === undefined ? {} : properties);
}

// A warning box with the text over the parent; it outlives whatever asked for it.
function crearDialogWarning(text, parent) {
    return Warning.create(text, parent);
}

// A value as a table shows it: "---" for nothing or an unmeasured slot.
function comprovaString(text) {
    if (text === undefined || text === null || text === "" || Number(text) === Definitions.UNMEASURED)
        return "---";
    return String(text);
}

// Refreshes the screen's copy of the settings from the store.
function updateQMLVariables() {
    if (typeof variablesPantalla !== "undefined")
        variablesPantalla = appVariables.getScreensVariables();
}
