// Every test program runs inside a Qt application object (offscreen, software Qt Quick;
// display tests in a real window), so code that processes events, uses timers or loads
// QML behaves as in the instrument.
#include "LeakSuppressions.h"
#include "SimBoardFixture.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <vector>

extern "C" {
const char* __lsan_default_suppressions() { return systemLibraryLeaks(); }
const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }
}

namespace {
// Mesa unloads its GL driver when the display closes, and the leak checker cannot name what
// an unloaded library left behind: keep the drivers loaded, so their leaks are named (and
// suppressed above) instead of failing a display test.
void keepGlDriversLoaded()
{
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "/dri/"))
                static_cast<std::vector<std::string>*>(out)->push_back(info->dlpi_name);
            return 0;
        },
        &drivers);
    for (const std::string& driver : drivers)
        dlopen(driver.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}
} // namespace

int main(int argc, char** argv)
{
    // A display test renders on the X display it is given; without one it runs headless
    // and skips (CI gives it one and fails on a skip).
    const char* display = std::getenv("DISPLAY");
    if (std::getenv("VARNOK_TEST_DISPLAY") && display && *display) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::unsetenv("QT_QUICK_BACKEND");
    } else {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QT_QUICK_BACKEND", "software", 1);
    }
    testsupport::watchQtSynchronisation();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    testsupport::stopEngineThreads();
    keepGlDriversLoaded();
    return result;
}
