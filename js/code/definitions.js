// Codes and tables shared by the screens and the native engines: measurement types,
// cable-modem states, hardware models, demodulation standards, and their texts.
.pragma library

// Marks a level, power, reading or list slot that holds no measurement.
var UNMEASURED = 0xE00000;

// Cable-modem level compensation on downstream readings, and the MER offset of the
// DOCSIS 3.0 modem, in dB.
var TALMER_CM_COMPESACION_dB = 3;
var TALMER_CM_MER_dB = 2;

// Measurement types: 0 to 20 run in the RF engine (measuresSpectrum), 60 to 76 are the
// cable-modem tests (measuresCM), 99 is no measurement.
var CONST_TIPUS_MESURA = {
    SPECTRUM: 0,
    SPECTRUM_CONST_IQ: 2,
    DBG_CONST_CABLEMODEM: 4,
    DBG_RANGING: 5,
    REGISTERING_CABLEMODEM: 6,
    UP_STREAM_GENERATOR_CABLEMODEM: 7,
    INPUT_VOLTAGE: 8,
    TILT: 9,
    SPECTRUM_SCAN_ANALOG: 10,
    LOGGER: 11,
    SOUND_FM: 12,
    DEMOD_ANALOG: 13,
    OPTICAL_POWER_METER: 14,
    IPTV: 15,
    VOIP: 16,
    SPECTRUM_RANGING_CABLEMODEM: 17,
    INFORMATION_CABLEMODEM: 18,
    CHANNEL_PLAN: 19,
    SPECTRUM_HUM: 20,
    QML_CM_IQ: 60,
    QML_CM_REGISTER_ON_CHANNEL: 61,
    QML_CM_RANGING: 62,
    QML_CM_MAC_INFORMATION: 63,
    QML_CM_VO_IP: 64,
    QML_CM_IP_TV: 65,
    QML_CM_UP_STREAM_GENERATOR: 66,
    QML_CM_NO_MEASURE: 69,
    QML_CM_RANGING_31: 70,
    QML_CM_REGISTER_ON_CHANNEL_31: 71,
    QML_CM_IQ_31: 72,
    QML_CM_UP_STREAM_GENERATOR_31: 73,
    QML_CM_REGISTER_ON_CHANNEL_31_SIGNAL_31: 74,
    QML_CM_RANGING_31_SIGNAL_31: 75,
    QML_CM_IQ_31_SIGNAL_31: 76,
    NO_MESURE: 99
};

// The hardware variant read from the strap pins.
var CONST_HW_MODEL = {
    HW_MODEL_MINI_COMPLETE: 0,
    HW_MODEL_MINI_CABLE: 1,
    HW_MODEL_CABLE_CM30: 2,
    HW_MODEL_CABLE_CM31: 3
};

// Demodulation standards as the constellation engine numbers them.
var digital_standards_idx = {
    DVB_C: 0,
    J83_B: 1,
    DVB_T: 2,
    DVB_T2: 3,
    ISDB_T: 4,
    DVB_S: 5,
    DVB_S2: 6,
    DVB_C2: 7,
    IDLE: 100
};

// Cable-modem power and registration states.
var cableModem_status = {
    MODEM_STATUS_POWER_OFF: 1600,
    MODEM_STATUS_STARTING: 1601,
    MODEM_STATUS_POWER_ON: 1602,
    MODEM_STATUS_PENDING: 1700,
    MODEM_STATUS_OPERATIONAL: 1701,
    MODEM_STATUS_PHY_SYNCHRONIZED: 1702,
    MODEM_STATUS_CONFIG_FILE_DOWNLOAD_COMPLETE: 1703,
    MODEM_STATUS_NOT_SYNCHRONIZED: 1704,
    MODEM_STATUS_DHCPV4_IN_PROGRESS: 1705,
    MODEM_STATUS_RANGING_IN_PROGRESS: 1706,
    MODEM_STATUS_RANGING_COMPLETE: 1707,
    MODEM_STATUS_ERROR: 1708,
    MODEM_STATUS_UNDEFINED: 1709,
    MODEM_STATUS_DHCPV4_COMPLETE: 1710,
    MODEM_STATUS_TUNING: 1712,
    MODEM_STATUS_REGISTERED: 1713,
    MODEM_STATUS_RANGED: 1714,
    MODEM_STATUS_RES: 1769
};

var cableModemStatusTexts = {
    1600: "POWER OFF",
    1601: "STARTING",
    1602: "POWER ON",
    1700: "PENDING",
    1701: "OPERATIONAL",
    1702: "PHY SYNCHRONIZED",
    1703: "CONFIG FILE DOWNLOAD COMPLETE",
    1704: "NOT SYNCHRONIZED",
    1705: "DHCPV4 IN PROGRESS",
    1706: "RANGING IN PROGRESS",
    1707: "RANGING COMPLETE",
    1708: "ERROR",
    1709: "UNDEFINED",
    1710: "DHCPV4 COMPLETE",
    1712: "TUNING",
    1713: "REGISTERED",
    1714: "RANGED",
    1769: "RESET"
};

// The text a screen shows for a modem state; empty for a code without a name.
function cableModem_status_to_string(status) {
    var text = cableModemStatusTexts[status];
    return text === undefined ? "" : text;
}

// Upstream test modulations as the upstream generator's setting stores them.
var digital_modulations_up = [
    { name: "QPSK", value: 5 },
    { name: "QAM 8", value: 7 },
    { name: "QAM 16", value: 0 },
    { name: "QAM 32 UP", value: 6 },
    { name: "QAM 64", value: 2 }
];

// Upstream test symbol rates in ksym/s, by their stored index.
var model_symbol_rate_UP = ["160", "320", "640", "1280", "2560", "5120"];

// The name of a downstream annex code.
function annex(code) {
    switch (Number(code)) {
    case 0: return "DVB-C";
    case 1: return "ITU J83-B";
    case 2: return "ITU J83-C";
    }
    return "---";
}

// The name of a modulation code (the cable modem's and the RF engine's numbering).
function modulation_to_string(code) {
    switch (Number(code)) {
    case 0: return "QAM16";
    case 1: return "QAM32";
    case 2: return "QAM64";
    case 3: return "QAM128";
    case 4: return "QAM256";
    case 5: return "QPSK";
    case 7: return "QAM8";
    }
    return "QAM256";
}
