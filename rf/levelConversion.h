// Level conversion (raw detector steps to tenths of a dBµV, or of a dBm for the optical
// meter) with the frequency-independent and frequency-dependent corrections, and the
// tuned level readings the sweeps call point by point.
#pragma once

// steps × slope + offset of the selected detector's line, truncated; -1000 for a detector
// without a line.
int convertirPasosdBuV(int steps);
double corregirIndependentFrequencia(int steps, int att);
// The converted level clipped at 1300, plus the frequency-independent corrections.
double corregirLecturadBuV(int steps, int att);
double corregirDependentFrequencia(unsigned int f, int att);

// Readings: each tunes, acquires and stores the corrected level (setMesuraNivell); 0.
int mesuraNivellEspectre(unsigned int f, int, int);
int mesuraNivellEspectreFast(unsigned int f);
int mesuraNivellScan(unsigned int f, int, int);
int mesuraNivellScanMarker(unsigned int f, int, int);
int mesuraNivellScanTilt(unsigned int f, int, int);
// Power meters: neither tune nor correct; 0.
int mesuraPowerMeter(int* value);
int mesuraOpticalPowerMeter(int* value);
// Mode 4 prepares the peak hold; any other mode reads the held peak at f.
int mesuraNivellEspectreMantenintPic(int mode, unsigned int f, int att);
