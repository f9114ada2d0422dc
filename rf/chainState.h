// The state record of the measuring chain: the last readings, the attenuation and
// detector in force, the working frequency and the temperature, with their get/set
// pairs and the level units every level function of the chain shares.
#pragma once

#include "common/KxlDrvLibError.h"
#include "common/sharedValues.h"

#include <cstdint>


// Detector selectors (getDetector/setDetector).
constexpr int DETECTOR_PEAK_MAX = 0;      // largest of 20 conversions of the peak detector
constexpr int DETECTOR_PEAK_MEAN = 1;     // mean of 5 conversions of the peak detector
constexpr int DETECTOR_POWER_METER = 2;   // RF power meter
constexpr int DETECTOR_OPTICAL_METER = 14; // optical power meter

int getMesuraNivell();
void setMesuraNivell(int level);
int getMesuraSumPower();
void setMesuraSumPower(int power);
int getMesuraOpticalSumPower();
void setMesuraOpticalSumPower(int power);
int getFrequenciaAudio();
void setFrequenciaAudio(int hz);
int getVideoAudio();
void setVideoAudio(int ratio);
int getCarrierNoise();
void setCarrierNoise(int cn);
int getDetector();
void setDetector(int selector);
unsigned int getSpan();
void setSpan(unsigned int hz);
int getNivellConversor();
void setNivellConversor(int raw);
// The working frequency; the constellation thread reads it while the GUI thread sets it.
unsigned int getFrequencyHz();
void setFrequencyHz(unsigned int hz);
float getTemperaturaC();
void setTemperaturaC(float celsius);
// true: the CABLE correction set; false: the DOCSIS set. Only the routing writes it.
bool getCalibracioCable();
void setCalibracioCable(bool cable);
int getAtenuador();
// The band last programmed by the band converter (-1: none yet).
int getBandaProgramada();

// Accessors with constant results.
int getMesuraMer();
int getMesuraPower();
int getHumMode();
int getModeCanalFrequencia();
int getModeFrequencia();
int getAudioFrequency();

// Tuner callbacks of the demodulator driver interface; the analyser's own tuner needs
// none of them. The signal type, colour system and analogue standard are the driver's
// 32-bit enumeration values.
KxlDrvLibError get_tuner_if_frequency_hz(int* hz);
KxlDrvLibError set_tuner(uint32_t signalType, uint32_t colorSystem, uint32_t analogueStandard, int bandwidth);
KxlDrvLibError CXD28XX_poweron(unsigned char* on);
