// Every test program runs inside a Qt application object (offscreen, software Qt Quick),
// so code that processes events, uses timers or loads QML behaves as in the instrument.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Leaks that belong to the system libraries (Qt's platform plugins, fontconfig, Mesa)
// are not the instrument's; keep the leak checker on the project's own code.
extern "C" {
const char* __lsan_default_suppressions()
{
    return "leak:libQt5Gui.so\n"
           "leak:libQt5Core.so\n"
           "leak:libQt5Qml.so\n"
           "leak:libQt5Quick.so\n"
           "leak:libQt5Widgets.so\n"
           "leak:libQt5XcbQpa.so\n"
           "leak:libqoffscreen.so\n"
           "leak:libqxcb.so\n"
           "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libgallium\n"
           "leak:swrast_dri.so\n"
           "leak:libglib-2.0.so\n";
}
const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }
}

int main(int argc, char** argv)
{
    if (!std::getenv("VARNOK_TEST_DISPLAY")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QT_QUICK_BACKEND", "software", 1);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
