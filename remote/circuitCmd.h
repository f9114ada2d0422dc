// "*CIRCUIT" and "*?CIRCUIT": select the routing of the signal input by its name, and report
// the routing in force. One object serves both keys.
#pragma once

#include "remotecmd.h"

#include <QMap>
#include <QString>

namespace remote {

class CircuitCmd : public RemoteCmd {
public:
    static constexpr const char* CIRCUIT_ = "CIRCUIT=";

    CircuitCmd();

    // "CIRCUIT=" followed by the name of the routing in force; refused while none was chosen.
    int run(const std::string& line, std::string* reply, bool level) override;
    int run(const std::string& line, bool level) override;

private:
    QMap<QString, int> circuits_;
};

} // namespace remote
