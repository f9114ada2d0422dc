// "*?PATH": the application's working directory, as "pwd" prints it.
#pragma once

#include "remotecmd.h"

namespace remote {

class PathCmd : public RemoteCmd {
public:
    // The absolute path followed by the line feed "pwd" ends with.
    int run(const std::string& line, std::string* reply, bool level) override;
};

} // namespace remote
