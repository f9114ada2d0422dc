// What every fuzzing program of the instrument stands on: a Qt application object, the
// simulated unit's board on a virtual clock, a working directory of its own seeded like a
// fresh unit, and silence (the instrument's debug lines would cost more than the inputs).
#pragma once

#include "platform/sim/SimulatedBoard.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzzsupport {

// Call from LLVMFuzzerInitialize, once.
void start(int* argc, char*** argv);
platform::sim::SimulatedBoard& board();
// Call once the measurement engines exist: at exit their threads stop on the virtual
// clock, which must then move by itself.
void hostEngineThreads();
// The working directory (on a memory file system where there is one: saves sync).
QString workDir();
// Forgets what the board recorded, so memory does not grow from input to input.
void forgetRecords();
// Stops the program with the message when an oracle finds the instrument wrong.
[[noreturn]] void fail(const QString& what);

// Pieces of an input taken from its front: a byte, or what remains.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return size_ ? (--size_, *data_++) : 0; }
    QByteArray bytes(size_t n);
    QByteArray rest() { return bytes(size_); }
    size_t left() const { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
};

} // namespace fuzzsupport
