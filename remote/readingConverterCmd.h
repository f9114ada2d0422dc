// "*?CONVERT": reads one input of the converter (battery, supply rails, LNB voltage and
// current, the level detectors, the optical meter) 100 times and answers the average with
// its value in physical units.
#pragma once

#include "remotecmd.h"

#include <QMap>
#include <QString>

namespace remote {

class ReadingConverterCmd : public RemoteCmd {
public:
    static constexpr const char* PORT_AD_ = "PORT_AD=";
    static constexpr int READINGS = 100;

    ReadingConverterCmd();

    // "<port as sent>=<average>" and, for the ports that have one, the converted value.
    int run(const std::string& line, std::string* reply, bool level) override;

private:
    QMap<QString, int> ports_;
};

} // namespace remote
