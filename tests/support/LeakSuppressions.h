// Leaks that belong to the system libraries (Qt's platform plugins, fontconfig, Mesa) are
// not the instrument's: the leak checker of every test and fuzzing program keeps to the
// project's own code. Each program returns this from __lsan_default_suppressions.
#pragma once

inline const char* systemLibraryLeaks()
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
