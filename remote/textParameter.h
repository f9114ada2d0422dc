// Reads one KEY=value parameter of a command line as text, or as a word of a command's
// table: absent, unusable (empty, an unclosed brace, a word not in the table) or a value.
#pragma once

#include "unsignedParameter.h"

#include <QMap>
#include <QString>

#include <string>

namespace remote {

ParameterRead readTextParameter(const std::string& line, const char* key, std::string* text);
// The text decoded from the local 8-bit code, looked up exactly and case-sensitively; text,
// when given, receives the value as it was written.
ParameterRead readWordParameter(const std::string& line, const char* key, const QMap<QString, int>& words, int* value,
                                std::string* text = nullptr);

} // namespace remote
