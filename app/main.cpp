// CABLE VARNOK: the application object, the board backend, the start-up, the event loop,
// and the restart that the code 1337 asks for.
#include "consolelog.h"
#include "startup.h"

#include "common/DebugSink.h"
#include "hw/kk_function.h"
#include "platform/Platform.h"
#ifdef VARNOK_BOARD_LINUX
#include "platform/linux/LinuxBoard.h"
#else
#include "platform/sim/DefaultBoard.h"
#include "platform/sim/FrontPanelKeyboard.h"
#include "qtquick2applicationviewer.h"
#endif

#include <QGuiApplication>
#include <QTimer>
#ifdef VARNOK_EXIT_AT_FIRST_FRAME
#include <QQuickWindow>
#endif

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {
std::unique_ptr<platform::Board> makeBoard()
{
#ifdef VARNOK_BOARD_LINUX
    return std::make_unique<platform::LinuxBoard>();
#else
    auto board = platform::sim::makeDefaultBoard();
    // "halt" ends the application instead of the machine.
    board->shell().setHaltHook([](const std::string&) {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    });
    return board;
#endif
}

#ifndef VARNOK_BOARD_LINUX
// The restart script of the unit is only recorded here, so the application starts itself
// again: a new process, because the singletons cannot be built twice in one.
void restartInPlace(char** argv)
{
    std::fflush(nullptr);
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        const int own = ::dirfd(fds);
        while (dirent* e = ::readdir(fds)) {
            const int fd = std::atoi(e->d_name);
            if (fd > 2 && fd != own)
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        ::closedir(fds);
    }
    ::execv("/proc/self/exe", argv);
    std::perror("restart");
}
#endif
} // namespace

int main(int argc, char** argv)
{
    // No widget is ever shown: the Qt Quick application object spares loading and setting
    // up the widget toolkit at every start.
    QGuiApplication app(argc, argv);
    StartUp::setApplicationIdentity();
    // Made before the board: it sets the font system up beside what follows.
    StartUp startUp;
    std::unique_ptr<platform::Board> board = makeBoard();
    platform::installBoard(board.get());
    installConsoleLog();
    // The plain libraries' debug text joins the application's.
    DebugSink_install(kk_function);

    startUp.run();
#ifdef VARNOK_EXIT_AT_FIRST_FRAME
    // The start-up benchmark's build of this program: it ends at the main view's first frame.
    QObject::connect(startUp.mainView(), &QQuickWindow::frameSwapped, [] { std::_Exit(0); });
#endif
#ifndef VARNOK_BOARD_LINUX
    // The computer's keyboard stands in for the unit's MENU and POWER keys.
    platform::sim::FrontPanelKeyboard frontPanelKeys(static_cast<platform::sim::SimulatedBoard&>(*board));
    startUp.mainView()->installEventFilter(&frontPanelKeys);
#endif
    const int code = app.exec();
    if (startUp.finish(code)) {
#ifndef VARNOK_BOARD_LINUX
        restartInPlace(argv);
#endif
    }
    // The engines' threads (constellation, cable modem, serial reader) stop only when their
    // singletons are destroyed after main returns, and use the board until then.
    board.release();
    return code;
}
