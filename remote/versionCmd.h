// "*?VERSION": the application's software version from the settings, the operating system's
// name and the kernel release.
#pragma once

#include "remotecmd.h"

namespace remote {

class VersionCmd : public RemoteCmd {
public:
    // " SW_V=<version>  OS=<system name>  KER=<kernel release with its line feed>".
    int run(const std::string& line, std::string* reply, bool level) override;
};

} // namespace remote
