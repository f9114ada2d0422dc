// Start-up of the RF front end (its GPIO lines and the two step attenuators) and the
// service setters of single lines.
#pragma once

class ADF4350;
class MAX11337;

// Keeps both handles, exports every line with its start-up direction and opens att_A
// ("/dev/spidev4.1") and att_B ("/dev/spidev0.1"). Call once, after the local oscillator
// and the converter exist.
void setInitMesuraRF(ADF4350* lo, MAX11337* adc);

// Each writes "1" for true and "0" for false to its line.
void setGpio_ATT0(bool on);
void setGpio_RF_OPTIC(bool on);
void setGpio_DW(bool on);
void setGpio_UP(bool on);
void setGpio_AttCM(bool on);
void setGpio_SUB(bool on);
void setGpio_SUPER(bool on);
void setGpio_TRACK(bool on);
void setGpio_F2(bool on);
void setGpio_F3(bool on);
