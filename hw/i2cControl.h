// Access to the board's one I2C bus ("/dev/i2c-2"). One mutex serialises every
// transfer, so the GUI thread and the constellation thread never interleave on the wire.
#pragma once

#include <mutex>

// The bus mutex; held inside each transfer routine.
std::mutex& i2cBusMutex();

// Write length bytes to the 7-bit address. 0 on success, -1 on failure.
int i2cEnviar(unsigned char address7, const unsigned char* data, int length);
// Read length bytes from the 7-bit address. 0 on success, -1 on failure.
int i2cRebre(unsigned char address7, unsigned char* data, int length);
// A register read: writes the sub-address bytes (none when subLength is 0), then reads
// length bytes, holding the bus mutex across both so no other transfer moves the chip's
// register pointer in between. 0 on success, -1 on failure.
int i2cEnviarRebre(unsigned char address7, const unsigned char* sub, int subLength, unsigned char* data, int length);

// Register access of the chips with an 8-bit register pointer: the pointer byte, then
// the data (auto-incrementing). 0 on success, -1 on failure.
int i2cWriteRegisters(unsigned char address7, unsigned char reg, const unsigned char* data, int length);
int i2cReadRegisters(unsigned char address7, unsigned char reg, unsigned char* data, int length);
