// Runs whose measurements are not part of the build yet: each measures nothing, waits one
// idle slice (so the loop does not spin) and returns. Each is replaced by its own module.
#include "measures.h"

void Measures::mesura_logger() { pendingRun("mesura_logger"); }

void Measures::mesura_channelplan() { pendingRun("mesura_channelplan"); }
