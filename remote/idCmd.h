// "*?ID": the identification text of the hardware variant kept in the settings.
#pragma once

#include "remotecmd.h"

namespace remote {

class IdCmd : public RemoteCmd {
public:
    int run(const std::string& line, std::string* reply, bool level) override;
};

} // namespace remote
