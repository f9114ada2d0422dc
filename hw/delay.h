// The instrument's wait: ms milliseconds on the platform clock while pending Qt events
// keep being processed in slices of at most 100 ms (queued calls such as the serial
// frame hand-over run during it).
#pragma once

void delay(int ms);
