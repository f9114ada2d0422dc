// MAX3543 tuner on I2C (16 MHz crystal, 36 MHz IF): initialisation with the instrument's
// power-detector and IF options, tuning in 500 Hz steps and the lock status read.
#pragma once

// Writes the configuration registers with the stored options applied. 0 or -1.
int max3543_Initialize();
// Tunes to hz rounded to the nearest 500 Hz. 0 on success, -1 when the write fails or the
// LO would leave the synthesizer's range.
int max3543_SetRfFreqHz(unsigned int hz);
// Low three bits of register 18 (6: the VCO search still runs), or -1 when the read fails.
int max3543LockDetect();

// Options applied at the next max3543_Initialize: RFIFD (register 0x0C bits 0-1), WPDA
// (0x0B bits 4-6), NPDA (0x0B bits 0-2); DWPD and DNPD store 15 for true and 0 for false,
// placed from bit 7 and from bit 3 of register 0x0B.
void setRfifd(char value);
void setWpda(char value);
void setNpda(char value);
void setDWPD(bool on);
void setDNPD(bool on);
int getWpda();
int getNpda();
// The value last composed for and written to register 0x0B (no bus read).
int getR0B();
