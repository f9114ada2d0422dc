// The front end as the measuring chain holds it: the GPIO lines with their numbers and
// start-up directions, the two step attenuators, the local oscillator and the converter.
// Shared by the files of the measuring chain only.
#pragma once

#include "hw/ADF4350.h"
#include "hw/GPIOClass.h"
#include "hw/MAX11337.h"
#include "hw/PE4312.h"

#include <memory>

namespace rfchain {

// In the order setInitMesuraRF brings them up.
enum Line { XSAT, RF_OPTIC, DOCSIS, DW, UP, SUB, SUPER, SUPER2, HI, TRACK, ATT0, F2, F3, ALARM, MUTE, EXT_CM, ATT_CM, kLineCount };

struct LineSpec {
    const char* gpio;
    const char* direction; // sysfs "high"/"low": an output starting at that level
};

constexpr LineSpec kLines[kLineCount] = {
    {"165", "low"},  {"169", "low"}, {"7", "high"},  {"17", "high"}, {"198", "low"}, {"16", "low"},
    {"199", "low"},  {"14", "low"},  {"6", "high"},  {"19", "low"},  {"15", "high"}, {"23", "low"},
    {"22", "low"},   {"201", "low"}, {"167", "low"}, {"160", "low"}, {"3", "high"},
};

struct FrontEnd {
    ADF4350* localOscillator = nullptr;
    MAX11337* converter = nullptr;
    std::unique_ptr<GPIOClass> lines[kLineCount];
    std::unique_ptr<PE4312> attA;
    std::unique_ptr<PE4312> attB;
};

FrontEnd& frontEnd();

// Writes "1" or "0" to a line; nothing before setInitMesuraRF has created the lines.
void writeLine(Line line, bool high);

} // namespace rfchain
