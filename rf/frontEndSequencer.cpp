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

void runSequence(Request kind, const std::function<void()>& sequence)
{
    Sequencer& s = sequencer();
    if (s.running) {
        for (auto it = s.held.begin(); it != s.held.end(); ++it) {
            if (it->first == kind) {
                s.held.erase(it);
                break;
            }
        }
        s.held.emplace_back(kind, sequence);
        qDebug() << "mesuraRF-> front end busy, request held";
        return;
    }
    s.running = true;
    sequence();
    // A held request may itself wait and let further requests in; they queue behind it.
    while (!s.held.empty()) {
        std::function<void()> next = std::move(s.held.front().second);
        s.held.pop_front();
        next();
    }
    s.running = false;
}

bool sequenceRunning() { return sequencer().running; }

} // namespace rfchain
