// Runs whose measurements are not part of the build yet: each measures nothing, waits one
// idle slice (so the loop does not spin) and returns. Each is replaced by its own module.
#include "measures.h"

void Measures::mesura_input_voltage() { pendingRun("mesura_input_voltage"); }

void Measures::mesura_logger() { pendingRun("mesura_logger"); }

void Measures::mesura_fm() { pendingRun("mesura_fm"); }

void Measures::mesura_analog() { pendingRun("mesura_analog"); }

void Measures::mesura_channelplan() { pendingRun("mesura_channelplan"); }

void Measures::mesura_hum() { pendingRun("mesura_hum"); }
