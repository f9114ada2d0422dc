#include "nameCmd.h"

#include "exceptionlog.h"

namespace remote {

int NameCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("NameCmd", -1, [&] {
        *reply = NAME_;
        return 0;
    });
}

} // namespace remote
