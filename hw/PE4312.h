// PE4312 digital step attenuator on its own spidev node: one 8-bit word sets the
// attenuation in 0.5 dB steps; the instrument uses whole dB up to 31.
#pragma once

#include "spidevice.h"

#include <string>

class PE4312 {
public:
    // Opens the node ("/dev/spidev4.1" or "/dev/spidev0.1") and sets 0 dB.
    explicit PE4312(std::string device);

    // Sets min(dB, 31) whole dB: the word is twice that value. 0 on success, -1 when the
    // word did not reach the chip.
    int setValue(unsigned char dB);
    // The whole dB last sent successfully.
    unsigned char getValue() const { return value_; }

private:
    SpiDevice spi_;
    unsigned char value_ = 0;
};
