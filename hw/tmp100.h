// TMP100 temperature sensor on I2C: 12-bit resolution (0.0625 degC per step), read as
// degrees Celsius.
#pragma once

// Selects 12-bit resolution. 0 or -1.
int tmp100_Initialize();
// The temperature in degC. 0 on success; -1 when the read fails, celsius untouched.
int tmp100_ReadTemperature(float* celsius);
