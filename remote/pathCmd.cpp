#include "pathCmd.h"

#include "exceptionlog.h"

#include "services/launcher.h"

namespace remote {

int PathCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("PathCmd", -1, [&] {
        Launcher launcher(nullptr);
        // The path goes out as the bytes "pwd" printed.
        *reply = launcher.launchBytes(QStringLiteral("pwd")).toStdString();
        return 0;
    });
}

} // namespace remote
