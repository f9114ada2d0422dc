// Readings that combine several detector acquisitions into one figure: the slice level of
// the channel power, the carrier-to-noise ratio, auto-ranged single readings, and the small
// tables of standard and modulation names. Levels in 0.1 dBµV, ratios in 0.1 dB.
#pragma once

#include <QString>

// The widest channel of the instrument's standards (a DOCSIS 3.1 OFDM block). Channel power
// and carrier-to-noise refuse wider channels instead of tuning for minutes.
constexpr int kMaxChannelBandwidthHz = 192000000;

// Samples of a level block: 50 for mode 1, 150 for any other mode.
int getMaximMostres(int mode);
// The largest 10-sample mean of a 50-sample block of the peak detector, corrected.
void mesuraLevel_integracio_filtrar_amb_maxims(int* level);
// Carrier-to-noise of an analogue channel (fLow or fHigh 0: fHigh is the sound carrier,
// fCarrier the vision carrier) or of a digital channel between its edges. 0 with *cn set
// (and stored with setCarrierNoise); -1 on a failed reading, digital edges that meet,
// cross or lie more than kMaxChannelBandwidthHz apart, or when the measurement is to end.
int mesuraCarrierNoise(unsigned int fLow, unsigned int fHigh, unsigned int fCarrier, int* cn);
// Attenuation for noise readings at the given level; 0.
int fixarAtenuadorsSoroll(int level);
// Tuned, ranged reading: 0 with *level set, -1 with UNMEASURED, 100 (busy) untouched.
int mesuraAutoRangeLevel(unsigned int frequency, int* level);
// The same at the attenuation now set, with the mean detector.
int mesuraAutoRangeLevel_fix_proba(unsigned int frequency, int* level);
// digital_standards_idx of a standard name; 0 for any unknown name.
int SystemToInt(const QString& name);

// Provided; nothing in the instrument calls them.
int getArrayMean(int* values, int n);
int getIndexOfArrayMaximun(int* values, int n);
void calculaIntegracioPotenciaCanal(int* values, int n, int* power, int add);
int mesuraAudioVideo(unsigned int frequency, int video, int* diff, int* audio);
int old_fixarAtenuadorsSoroll(int level);
QString modulation_to_string(int modulation);
int modulation_to_int(const QString& modulation);
int getModeAnalDig();
