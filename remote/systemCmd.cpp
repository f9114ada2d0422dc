#include "systemCmd.h"

#include "exceptionlog.h"
#include "systemProgram.h"
#include "textParameter.h"
#include "tokens.h"

#include <cctype>
#include <cstring>

namespace remote {

namespace {
constexpr int kReadOnly = 0;
constexpr int kWrite = 1;

// The key with nothing after it but the line's end or a separator, or with "{}": a date
// nobody gave, unlike an unclosed brace, which is a date that cannot be read.
bool givenEmpty(const std::string& line, const char* key)
{
    const unsigned p = tokens::find_start_token(key, line, 0);
    if (p == tokens::npos)
        return false;
    const size_t i = line.find_first_not_of(' ', p + std::strlen(key));
    return i == std::string::npos || line[i] == ',' || line[i] == '\r' || line[i] == '\n' || line.compare(i, 2, "{}") == 0;
}
} // namespace

SystemCmd::SystemCmd()
{
    modes_.insert(QStringLiteral("READ_ONLY"), kReadOnly);
    modes_.insert(QStringLiteral("WRITE"), kWrite);
}

bool SystemCmd::isDateText(const std::string& text)
{
    if (text.empty() || text.size() > DATE_MAX || text[0] == '-')
        return false;
    for (unsigned char c : text)
        if (!std::isalnum(c) && c != ' ' && c != ':' && c != '.' && c != '/' && c != '+' && c != '-')
            return false;
    return true;
}

int SystemCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("SystemCmd", -1, [&] {
        int mode = -1;
        const ParameterRead file = readWordParameter(line, SYSTEM_FILE_, modes_, &mode);
        std::string date;
        const ParameterRead dateRead = readTextParameter(line, SYSTEM_DATE_, &date);
        const bool setDate = dateRead == ParameterRead::Value
            || (dateRead == ParameterRead::Bad && !givenEmpty(line, SYSTEM_DATE_));
        if (file == ParameterRead::Bad || (setDate && !isDateText(date)))
            return -1;
        if (file == ParameterRead::Value
            && !runSystemProgram({"mount", "-o", mode == kWrite ? "remount,rw" : "remount,ro", "/"}))
            return -1;
        // A date the program refused leaves the system time as it was: the hardware clock
        // keeps its own instead of taking that unchanged time.
        if (setDate && !(runSystemProgram({"date", "-s", date}) && runSystemProgram({"hwclock", "-w"})))
            return -1;
        return 0;
    });
}

} // namespace remote
