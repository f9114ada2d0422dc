#include "PE4257.h"

PE4257::PE4257(std::string gpioNumber) : line_(std::move(gpioNumber))
{
    line_.export_gpio();
    line_.setdir_gpio("low");
}

int PE4257::setValue(unsigned char position) { return line_.setval_gpio(position ? "1" : "0"); }
