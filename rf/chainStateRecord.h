// The chain's one state record, shared by the files of the measuring chain only.
// Everything but the working frequency is written and read on the GUI thread.
#pragma once

#include "chainState.h"

#include <atomic>

namespace rfchain {

struct ChainState {
    int circuitMode = -1;
    int level = UNMEASURED;
    int totalPower = 0;
    int opticalTotalPower = 0;
    int audioFrequency = 0;
    int videoAudio = 0;
    int carrierNoise = 0;
    int attenuation = -1;
    int detector = DETECTOR_PEAK_MAX;
    unsigned int span = 0;
    int converterLevel = 0;
    std::atomic<unsigned int> workingFrequency{0};
    bool calibrationCable = true;
    float temperature = 25.0f;
    int bandProgrammed = -1;
    bool peakHoldStart = false;
};

ChainState& state();

} // namespace rfchain
