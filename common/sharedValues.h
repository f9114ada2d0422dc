// Values every engine and the screens' tables share: the code that selects no
// measurement ("NO_MESURE") and the mark of a slot that holds no measurement.
#pragma once

enum : int { NO_MESURE = 99 };

// A level, power, reading or list slot that holds no measurement (0xE00000).
constexpr int UNMEASURED = 0xE00000;
