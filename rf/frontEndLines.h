// The front end as the measuring chain holds it: the GPIO lines with their start-up
// directions, the two step attenuators, the local oscillator and the converter.
// Shared by the files of the measuring chain only.
#pragma once

#include "common/BoardWiring.h"
#include "hw/ADF4350.h"
#include "hw/GPIOClass.h"
#include "hw/MAX11337.h"
#include "hw/PE4312.h"

#include <memory>

namespace rfchain {

// In the order setInitMesuraRF brings them up.
enum Line { XSAT, RF_OPTIC, DOCSIS, DW, UP, SUB, SUPER, SUPER2, HI, TRACK, ATT0, F2, F3, ALARM, MUTE, EXT_CM, ATT_CM, kLineCount };

struct LineSpec {
    int gpio;
    const char* direction; // sysfs "high"/"low": an output starting at that level
};

namespace g = wiring::gpio;
constexpr LineSpec kLines[kLineCount] = {
    {g::XSAT, "low"},   {g::RF_OPTIC, "low"}, {g::DOCSIS, "high"}, {g::DW, "high"},    {g::UP, "low"},
    {g::SUB, "low"},    {g::SUPER, "low"},    {g::SUPER2, "low"},  {g::HI, "high"},    {g::TRACK, "low"},
    {g::ATT0, "high"},  {g::F2, "low"},       {g::F3, "low"},      {g::ALARM, "low"},  {g::MUTE, "low"},
    {g::EXT_CM, "low"}, {g::ATT_CM, "high"},
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
