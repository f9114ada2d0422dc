// Identity texts of the driver library: version, build date, name and platform.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

const char* GetKorvelDrvLibVersion(void);
const char* GetKorvelDrvLibVersionData(void);
const char* GetKorvelDrvLibName(void);
const char* GetPlatform(void);

#ifdef __cplusplus
}
#endif
