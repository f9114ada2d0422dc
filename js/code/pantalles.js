// The screen table: for each screen id the page that shows it, its title, whether the
// main menu offers it, and the input routing it needs ("" keeps the stored routing).
.pragma library

var screens = {
    "MAIN_MENU": { page: "main_menu.qml", title: "MAIN MENU", menu: false, circuit: "" },
    "EXIT": { page: "exit.qml", title: "POWER OFF", menu: true, circuit: "" }
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

function screenIds() {
    return Object.keys(screens);
}

// The screens the main menu leads to, in table order.
function menuScreens() {
    return screenIds().filter(function (id) { return screens[id].menu; });
}
