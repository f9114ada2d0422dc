// Tuning: the seven working bands of the front end (up-conversion with a 195 MHz local
// oscillator, straight through, down-conversion with 1600 to 2950 MHz), the tuner
// frequency of each, the tuner programming with its lock wait and the band switch.
#pragma once

// The instrument's input range. Frequencies above it are taken as its top, so the
// down-converting bands never compute a negative tuner frequency.
constexpr unsigned int FREQ_MIN_INSTRUMENT_HZ = 5000000u;
constexpr unsigned int FREQ_MAX_INSTRUMENT_HZ = 2700000000u;

// Band 0..6 of the input frequency, -1 below 5 MHz.
int getBandaTreball(unsigned int f);
// The tuner frequency for an input frequency; pure, also used by the constellation thread.
unsigned int getFrequencyTreballTuner(unsigned int f);
// Programs the tuner (10 kHz steps) and waits up to 10 ms for its lock; the last status.
int programaTuner(unsigned int f);
// Switches the band lines and the local oscillator when the band changes; 0.
int convertirBanda(unsigned int f);
// programaTuner, then convertirBanda; 0.
int sintonitzar(unsigned int f);
