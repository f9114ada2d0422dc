#include "frontEndSequencer.h"

#include <QDebug>

#include <deque>
#include <utility>

namespace rfchain {

namespace {

struct Sequencer {
    bool running = false;
    std::deque<std::pair<Request, std::function<void()>>> held;
};

Sequencer& sequencer()
{
    static Sequencer s;
    return s;
}

} // namespace

bool startSequence()
{
    Sequencer& s = sequencer();
    if (s.running)
        return false;
    s.running = true;
    return true;
}

void deferRequest(Request kind, std::function<void()> action)
{
    Sequencer& s = sequencer();
    for (auto it = s.held.begin(); it != s.held.end(); ++it) {
        if (it->first == kind) {
            s.held.erase(it);
            break;
        }
    }
    s.held.emplace_back(kind, std::move(action));
    qDebug() << "mesuraRF-> front end busy, request held";
}

void finishSequence()
{
    Sequencer& s = sequencer();
    // A held request may itself wait and let further requests in; they queue behind it.
    while (!s.held.empty()) {
        std::function<void()> action = std::move(s.held.front().second);
        s.held.pop_front();
        action();
    }
    s.running = false;
}

bool sequenceRunning() { return sequencer().running; }

} // namespace rfchain
