#include "commandgate.h"

#include "remote.h"

bool CommandGate::enter(Remote* remote)
{
    if (holder_ && holder_ != remote) {
        for (const QPointer<Remote>& w : waiting_)
            if (w == remote)
                return false;
        waiting_.append(remote);
        return false;
    }
    holder_ = remote;
    return true;
}

bool CommandGate::leave(Remote* remote)
{
    if (holder_ != remote)
        return false;
    holder_ = nullptr;
    const QList<QPointer<Remote>> waiting = waiting_;
    waiting_.clear();
    bool resumed = false;
    for (const QPointer<Remote>& w : waiting) {
        if (w) {
            w->resumeInput();
            resumed = true;
        }
    }
    return resumed;
}
