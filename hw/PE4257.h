// PE4257 SPDT RF switch: one GPIO control line picks the RF port ("1" RF1, "0" RF2).
#pragma once

#include "GPIOClass.h"

#include <string>

class PE4257 {
public:
    // Exports the control line and makes it an output starting low (RF2).
    explicit PE4257(std::string gpioNumber);

    // Any non-zero position selects RF1. 0 on success, -1 when the line refused the value.
    int setValue(unsigned char position);

private:
    GPIOClass line_;
};
