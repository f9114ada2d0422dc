#include "tunerCmd.h"

namespace remote {

TunerCmd::TunerCmd() { level_ = 1; }

int TunerCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    reply->clear();
    return 0;
}

int TunerCmd::run(const std::string& line, bool level)
{
    (void)line;
    (void)level;
    return 1;
}

} // namespace remote
