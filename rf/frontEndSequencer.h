// Keeps the front end's switching sequences whole. Band switches and routing changes wait
// with delay(), which processes events, so a remote tune or a screen's routing change can
// arrive in the middle of one. Such a request is held and run right after the sequence in
// progress, the latest request of each kind winning, so the recorded band and mode always
// match the lines.
#pragma once

#include <functional>

namespace rfchain {

enum class Request { Tune, Route };

// True when no sequence runs: the caller owns the front end until finishSequence().
bool startSequence();
// Holds a request that arrived during a sequence (replacing one of the same kind).
void deferRequest(Request kind, std::function<void()> action);
// Runs the held requests in arrival order, then releases the front end.
void finishSequence();
bool sequenceRunning();

} // namespace rfchain
