#include "systemProgram.h"

#include "exceptionlog.h"

#include "platform/Platform.h"

namespace remote {

namespace {
// A program that hangs must not hold the instrument for ever.
constexpr int kTimeoutMs = 60000;
} // namespace

bool runSystemProgram(const std::vector<std::string>& argv)
{
    const platform::CommandResult r = platform::board().runProgram(argv, kTimeoutMs);
    if (r.exitCode == 0)
        return true;
    std::string line;
    for (const std::string& a : argv)
        line += (line.empty() ? "" : " ") + a;
    remotelog::note(" command failed: ", line + " (" + std::to_string(r.exitCode) + ")");
    return false;
}

} // namespace remote
