// "*?JSON": the instrument's identity record for a remote application: "AUTH=[" and eight
// compact JSON objects (model name, serial number, provider, user, release, company, the
// peer's tab layout and the signal standards), then "]".
#pragma once

#include "remotecmd.h"

namespace remote {

class JosnCmd : public RemoteCmd {
public:
    int run(const std::string& line, std::string* reply, bool level) override;
    // Builds the record into out, replacing what it held.
    void auth_json(std::string* out);
};

} // namespace remote
