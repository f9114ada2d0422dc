// What the VoIP and IPTV path tests share below the engine: the answers of their machines,
// the menu their commands go under, and the set-up they make before they measure (the
// modem's prompt awaited, a service flow asked for when the test wants one, UGS for the
// pings and rtPS for the trace, then a second's pause for the flow to settle).
#pragma once

#include <QString>

#include <cstdint>

// Answers of the path machines beyond the step convention; callers take them as busy.
constexpr int MODEM_STEP_PATH_TAKEN = 33555024; // a ping reply or a hop taken
constexpr int MODEM_STEP_PATH_DONE = 33555028;  // the path test's result made

// The commands of the path tests go under the "docsis/" menu of the DOCSIS 3.1 modem.
QString modemMenuPath();

// One step of the set-up, steps -15 to -7 (wake is sent first; an empty flow command asks
// for no flow); the step to go on with: 0 once the pause is over, promptFailStep or
// flowFailStep when the modem did not answer within 5 s.
int serviceFlowStep(int step, uint64_t* startMs, const QString& wake, const QString& flowCommand, int promptFailStep,
                    int flowFailStep);
