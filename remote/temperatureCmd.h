// "*?TEMPERATURE": the equipment temperature in degrees Celsius, as the housekeeping last
// read it.
#pragma once

#include "remotecmd.h"

namespace remote {

class TemperatureCmd : public RemoteCmd {
public:
    // "Temperature=" and the value with six decimals.
    int run(const std::string& line, std::string* reply, bool level) override;
};

} // namespace remote
