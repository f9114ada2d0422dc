// The unit's root file system is mounted read-only; a write to it is made inside this
// bracket: "mount -o remount,rw /" before, "sync" and "mount -o remount,ro /" after.
#pragma once

class RootFsWrite {
public:
    RootFsWrite();
    ~RootFsWrite();
    RootFsWrite(const RootFsWrite&) = delete;
    RootFsWrite& operator=(const RootFsWrite&) = delete;
};
