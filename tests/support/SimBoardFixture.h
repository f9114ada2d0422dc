// Test helpers: a simulated board installed for the test's lifetime, a temporary working
// directory, and a capture of the instrument's debug lines.
#pragma once

#include "SimulatedBoard.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace testsupport {

// The board the application builds on a PC (every device model, the cable network, the
// modem), on a virtual clock, strapped as the given hardware model.
std::unique_ptr<platform::sim::SimulatedBoard> unitBoard(int hardwareModel = 3);

// Installs a fresh simulated board on a virtual clock (instant mode) and removes it after.
class ScopedBoard {
public:
    ScopedBoard();
    explicit ScopedBoard(std::unique_ptr<platform::sim::SimulatedBoard> board);
    ~ScopedBoard();
    platform::sim::SimulatedBoard& operator*() { return *board_; }
    platform::sim::SimulatedBoard* operator->() { return board_.get(); }
    platform::sim::SimulatedBoard& board() { return *board_; }
    platform::sim::VirtualClock& clock() { return *board_->virtualClock(); }

    // For tests that create the measurement engine: it starts the constellation and
    // cable-modem threads, which live until the process ends, as on the unit. The board
    // then stays installed and alive until exit (every test case runs in a process of its
    // own), and on a virtual clock those threads' sleeps block for real instead of moving
    // the test's time.
    void hostEngineThreads();

private:
    std::unique_ptr<platform::sim::SimulatedBoard> board_;
    bool hostsEngineThreads_ = false;
};

// Stops the threads of the engines a test started, as the end of the instrument's event loop
// does, while every static they use is still there; their waits move the board's time again.
// The test programs' main calls it after the tests.
void stopEngineThreads();
// Nothing; in a ThreadSanitizer build its file makes the sanitizer see the project's
// QMutex, QWaitCondition and QThread calls (ThreadSanitizerQt.cpp). The test main calls it.
void watchQtSynchronisation();

// Makes a fresh temporary directory the working directory, and restores the old one.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    QString path() const { return dir_.path(); }
    // Copies a file or folder of the source tree's data/ into the working directory.
    bool seedFromData(const QString& relativePath);
    // Absolute path of a file in the source tree.
    static QString sourcePath(const QString& relativePath);

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Collects the debug, warning and critical lines written while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString& fragment) const;
    int count(const QString& fragment) const;
    void clear();
};

// Adds a board's transaction log to a failure message.
std::string dumpLog(platform::sim::SimulatedBoard& board);

} // namespace testsupport
