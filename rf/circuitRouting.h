// Input routing (CircuitMode 0..6): the routing lines, the embedded cable modem's power
// and the calibration set (CABLE or DOCSIS) the corrections use.
#pragma once

#include <QString>

enum CircuitMode {
    CABLE_RF = 0,
    DOCSIS_ANALYZER_UP = 1,
    DOCSIS_RF = 2,
    EXT_CM_DW = 3,
    EXT_CM_UP = 4,
    DOCSIS_OPTIC = 5,
    CABLE_OPTIC = 6,
};

// Switches to the mode (any number outside 1..6 drives the CABLE_RF row but is stored as
// given); nothing happens when the mode is already set. Always 0.
int setModeCircuit(int mode);
// The mode of an exact, case-sensitive name; any other text selects DOCSIS_RF.
int setModeCircuitString(const QString& name);
int getModeCircuit();
