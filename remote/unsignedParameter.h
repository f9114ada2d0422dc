// Reads one unsigned KEY=value parameter of a command line for the commands that act on a
// number (a frequency, an attenuation): absent, unusable, or a value.
#pragma once

#include <string>

namespace remote {

enum class ParameterRead {
    Absent,
    Bad, // present but empty, or not a number in the format (a text without digits is none)
    Value,
};

ParameterRead readUnsignedParameter(const std::string& line, const char* key, unsigned format, unsigned* value);

} // namespace remote
