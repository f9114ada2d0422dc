// "*SERIAL" and "*?SERIAL": set and read the instrument's serial number, kept in the
// settings under "serial_number" and saved with them. One object serves both keys.
#pragma once

#include "remotecmd.h"

namespace remote {

class SerialNumCmd : public RemoteCmd {
public:
    static constexpr const char* SERIAL_ = "SERIALNUMBER=";
    static constexpr size_t SERIAL_MAX = 32;

    // The serial number as it stands, nothing added.
    int run(const std::string& line, std::string* reply, bool level) override;
    // A line without "SERIALNUMBER=" changes nothing and is accepted.
    int run(const std::string& line, bool level) override;
    // 1 to 32 printable ASCII characters: a control byte would make the settings file
    // unreadable and break the framing of the reply.
    static bool isSerialNumber(const std::string& text);
};

} // namespace remote
