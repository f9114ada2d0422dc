// The input attenuator (the 20 dB pad on ATT0 and the two step attenuators, 0 to 70 dB),
// its automatic ranging for level readings and for the demodulator input, and the raw
// detector acquisitions from the converter.
#pragma once

// Sets the attenuation (clamped to 0..70 dB); without force nothing is written when it does
// not change. Always 0.
int setAtenuador(int a, bool force);
void nextAtenuador(int* a);
void prevAtenuador(int* a);
// The next attenuation for an uncorrected level (0.1 dBµV) at the attenuation now set.
int getValorSeguentAtt(int level);
// Ranges the attenuator until the peak detector reads 37.0 to 50.0 dBµV.
void ajustarAtenuador();
// Ranges the attenuator until the selected detector reads within 50 steps of the optimum
// demodulator-input count; the last raw reading.
int ajustarAtenuador_IQ();

// One converter request (channels 0..15 and 99); -1 when the converter is missing or fails.
int getLecturaConversorRF(int channel);
// One acquisition of the selected detector, into raw and the converter-level field; 0, or
// -1 when the converter gave nothing.
int adquisicio(int, int* raw, int);
int adquisicio_fast(int* raw);
// Mean (integer) and smallest of n acquisitions.
int adquisicio_media(int n);
int adquisicio_minima(int n);
// Burst reads of 100 (or 50) conversions, masked to 12 bits.
int adquisicio_media_rapida(int channel);
int adquisicio_minima_rapida();
int adquisicio_maxima_rapida();

// The peak track-and-hold line.
void programaTrack(int state);
void resetTrack();
void resetTrack(int ms);
