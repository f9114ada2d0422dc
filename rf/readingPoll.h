// Long readings of the chain (dozens of tunings in a row) poll between their steps, so that
// the interface stays alive and a stop request ends them early. The measurement engine
// installs the poll; without one a reading never stops early.
#pragma once

namespace rfchain {

using ReadingPoll = bool (*)();
void setReadingPoll(ReadingPoll poll);
// True when the reading in progress is to end.
bool readingInterrupted();

} // namespace rfchain
