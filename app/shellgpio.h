// The GPIO lines of the application shell: hardware-model straps, front-panel keys,
// charger and mains sense, and the fan. Written down here once; the simulated board
// wires the same numbers.
#pragma once

namespace shellgpio {

// Strap pins read once at start-up: model = STRAP1 * 2 + STRAP0 (levels as read).
constexpr int STRAP0 = 96;
constexpr int STRAP1 = 97;

// Front-panel keys, pulled up: a pressed key reads 0.
constexpr int KEY_MENU = 98;
constexpr int KEY_POWER = 99;
constexpr int KEY_PRESSED_LEVEL = 0;

// Power board sense lines: 1 while the battery charges, 1 while an external supply is connected.
constexpr int CHARGER = 100;
constexpr int MAINS = 101;

// The fan, an output (1 = running); the remote equipment command drives it too.
constexpr int FAN = 11;

} // namespace shellgpio
