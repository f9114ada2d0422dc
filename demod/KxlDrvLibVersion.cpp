#include "KxlDrvLibVersion.h"

const char* GetKorvelDrvLibVersion(void) { return "4.48.1710"; }
const char* GetKorvelDrvLibVersionData(void) { return "Feb 19 2025"; }
const char* GetKorvelDrvLibName(void) { return "KORVEL DRV LIB"; }
const char* GetPlatform(void) { return "LINUX CABLE VARNOK"; }
