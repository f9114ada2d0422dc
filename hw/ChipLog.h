// Debug lines of the chip drivers, built from the system's fixed fragments:
// "<chip> Funtion <name> RegAddress:0x12 I2C_Address:0x63" and an optional note.
#pragma once

void chipLog(const char* chip, const char* function, int reg, int address7, const char* note = nullptr);
