// "*SYSTEM": makes the root file system writable or read-only again, and sets the system
// clock and the hardware clock. Every value is checked before anything runs, and a program
// that fails ends the line with NAK.
#pragma once

#include "remotecmd.h"

#include <QMap>
#include <QString>

namespace remote {

class SystemCmd : public RemoteCmd {
public:
    static constexpr const char* SYSTEM_FILE_ = "SYSTEM_FILE=";
    static constexpr const char* SYSTEM_DATE_ = "SYSTEM_DATE=";
    // The longest date text handed to the date program.
    static constexpr size_t DATE_MAX = 64;

    SystemCmd();

    int run(const std::string& line, bool level) override;
    // A date text the date program may read: letters, digits, blanks and : . / + -, not
    // starting with '-' (it would read as an option).
    static bool isDateText(const std::string& text);

private:
    QMap<QString, int> modes_;
};

} // namespace remote
