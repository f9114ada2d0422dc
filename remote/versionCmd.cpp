#include "versionCmd.h"

#include "exceptionlog.h"

#include "services/launcher.h"
#include "store/screensvariables.h"

namespace remote {

namespace {
const char kReleaseCommand[] =
    "/bin/sh -c \"cat /etc/*release | grep PRETTY_NAME= | grep PRETTY_NAME= | cut -d '=' -f2 \"";
const char kKernelCommand[] = "/bin/sh -c \"uname -r \"";
} // namespace

int VersionCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("VersionCmd", -1, [&] {
        const QByteArray sw = " SW_V="
            + ScreensVariables::getInstance()->screensVariables().value(QStringLiteral("software_version")).toString().toUtf8();
        // The system's own texts go out as the bytes it printed.
        Launcher launcher(nullptr);
        QByteArray os = " OS=" + launcher.launchBytes(QString::fromLatin1(kReleaseCommand));
        os.replace('\n', QByteArray()).replace('"', QByteArray());
        // The kernel field keeps the line feed uname ends with.
        const QByteArray kernel = " KER=" + launcher.launchBytes(QString::fromLatin1(kKernelCommand));
        *reply = (sw + ' ' + os + ' ' + kernel).toStdString();
        return 0;
    });
}

} // namespace remote
