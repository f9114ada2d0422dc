// Keeps the front end's switching sequences whole. Band switches and routing changes wait
// with delay(), which processes events, so a remote tune or a screen's routing change can
// arrive in the middle of one. Such a request is held and run right after the sequence in
// progress, the latest request of each kind winning, so the recorded band and mode always
// match the lines.
#pragma once

#include <functional>

namespace rfchain {

enum class Request { Tune, Route };

// Runs the sequence now, followed by whatever requests arrived meanwhile, in arrival
// order; inside another sequence, holds it instead (replacing a held one of its kind).
void runSequence(Request kind, const std::function<void()>& sequence);
bool sequenceRunning();

} // namespace rfchain
