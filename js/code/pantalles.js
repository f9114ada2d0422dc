// The screen table: for each screen id the page that shows it, its title, whether the
// main menu offers it (under its menu label where the title alone would be ambiguous) and
// on which hardware models, and the input routing it needs ("" keeps the stored routing).
.pragma library

// Hardware models: the compact ones, the DOCSIS 3.0 and the DOCSIS 3.1 cable units.
var ALL_MODELS = [0, 1, 2, 3];
var MODEM_MODELS = [2, 3];
var DOCSIS31_MODELS = [3];

var screens = {
    "MAIN_MENU": { page: "main_menu.qml", title: "MAIN MENU", menu: false, circuit: "" },
    "REGISTERING": { page: "registering_31.qml", title: "CABLE MODEM\u2192REGISTERING", menu: false, circuit: "" },
    "REGISTERING_31": { page: "registering_31.qml", title: "CABLE MODEM\u2192REGISTERING", label: "REGISTERING",
                        menu: true, models: MODEM_MODELS, circuit: "" },
    "RANGING": { page: "ranging_31.qml", title: "CABLE MODEM\u2192RANGING", label: "RANGING", menu: true,
                 models: MODEM_MODELS, circuit: "DOCSIS_RF" },
    "DOWN_SCAN_DEMOD_31": { page: "downstream_scan_demod_31.qml", title: "CHANNEL SCAN", label: "OFDM DOWNSTREAM",
                            menu: true, models: DOCSIS31_MODELS, circuit: "" },
    "SCAN_CM": { page: "scan_constellation31_cm.qml", title: "CABLE MODEM\u2192SCAN", label: "CM SCAN", menu: true,
                 models: MODEM_MODELS, circuit: "DOCSIS_RF" },
    "SCAN_CM_OPTICAL": { page: "scan_constellation31_cm.qml", title: "CABLE MODEM\u2192SCAN",
                         label: "CM SCAN OPTICAL", menu: true, models: MODEM_MODELS, circuit: "DOCSIS_OPTIC" },
    "UPSTREAM_TEST": { page: "upstream_test.qml", title: "UPSTREAM GENERATOR", menu: true, models: MODEM_MODELS,
                       circuit: "DOCSIS_RF" },
    "UPSTREAM_RF": { page: "up_stream.qml", title: "UPSTREAM", label: "UPSTREAM RF", menu: true,
                     models: ALL_MODELS, circuit: "DOCSIS_ANALYZER_UP" },
    "UPSTREAM_OPTIC": { page: "up_stream.qml", title: "UPSTREAM", label: "UPSTREAM OPTIC", menu: true,
                        models: ALL_MODELS, circuit: "CABLE_OPTIC" },
    "EXT_CM_UP": { page: "up_stream.qml", title: "EXTERNAL CM / UPSTREAM", menu: true, models: ALL_MODELS,
                   circuit: "EXT_CM_UP" },
    "VOIP": { page: "voIP.qml", title: "CABLE MODEM\u2192VoIP TEST", label: "VoIP TEST", menu: true,
              models: MODEM_MODELS, circuit: "" },
    "IPTV": { page: "ipTv.qml", title: "CABLE MODEM\u2192IPTV TEST", label: "IPTV TEST", menu: true,
              models: MODEM_MODELS, circuit: "" },
    "EXIT": { page: "exit.qml", title: "POWER OFF", menu: true, models: ALL_MODELS, circuit: "" }
};

var HOME = "MAIN_MENU";

// The page of a screen, or "" for an id that names no screen.
function design(screen) {
    var s = screens[screen];
    return s ? "qrc:///qml/code/" + s.page : "";
}

// The routing name of a screen ("CABLE_RF", "DOCSIS_RF", ...); "" keeps the stored one.
function circuit(screen) {
    var s = screens[screen];
    return s ? s.circuit : "";
}

function title(screen) {
    var s = screens[screen];
    return s ? s.title : "";
}

// The name of a screen on the main menu's key.
function menuLabel(screen) {
    var s = screens[screen];
    return s ? (s.label || s.title) : "";
}

function screenIds() {
    return Object.keys(screens);
}

// The screens the main menu leads to on a hardware model, in table order.
function menuScreens(model) {
    return screenIds().filter(function (id) {
        var s = screens[id];
        return s.menu && (model === undefined || s.models.indexOf(Number(model)) >= 0);
    });
}
