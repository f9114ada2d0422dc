// The instrument's console: every debug, warning and critical line goes to standard output,
// as on the unit. Lines go through Qt's logging categories first ("varnok.remote",
// "varnok.startup", and "default" for the rest), so QT_LOGGING_RULES can silence them.
#pragma once

void installConsoleLog();
