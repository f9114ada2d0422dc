// The application's debug sink for the driver library's text: every line ends up in the
// Qt debug output.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

void kk_function(const char* text);

#ifdef __cplusplus
}
#endif
