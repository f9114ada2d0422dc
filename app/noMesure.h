// The measurement code that selects no measurement ("NO_MESURE" of the screens' code table).
// Every engine answers it, so it is defined once for all of them.
#pragma once

enum : int { NO_MESURE = 99 };
