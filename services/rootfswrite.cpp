#include "rootfswrite.h"

#include "platform/Platform.h"

RootFsWrite::RootFsWrite() { platform::board().runShell("mount -o remount,rw /"); }

RootFsWrite::~RootFsWrite()
{
    platform::board().runShell("sync");
    platform::board().runShell("mount -o remount,ro /");
}
