// "*?NAM": the instrument's fixed identification text, the same on every hardware model.
#pragma once

#include "remotecmd.h"

namespace remote {

class NameCmd : public RemoteCmd {
public:
    static constexpr const char* NAME_ = "?.?.CV001A.?";

    int run(const std::string& line, std::string* reply, bool level) override;
};

} // namespace remote
