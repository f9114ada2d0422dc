// One sysfs GPIO line of the board, addressed by its number as text ("165").
// Every access goes through the platform seam; failures print the system's own
// " OPERATION FAILED: ..." lines and return -1.
#pragma once

#include <string>

class GPIOClass {
public:
    GPIOClass();
    explicit GPIOClass(std::string number);

    int export_gpio();
    int unexport_gpio();
    // "in", "out", "high" (output starting high) or "low" (output starting low).
    int setdir_gpio(const std::string& dir);
    // "0" or "1".
    int setval_gpio(const std::string& value);
    // The line's level as "0" or "1".
    int getval_gpio(std::string& value);
    std::string get_gpionum() const { return gpionum; }

private:
    std::string gpionum;
};
