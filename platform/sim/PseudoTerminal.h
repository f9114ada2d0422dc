// A pseudo-terminal pair for serial device models: the instrument opens the slave path
// with its real termios code, the model reads and writes the master side.
#pragma once

#include <string>

namespace platform::sim {

class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Master side helpers. writeMaster writes all bytes (one write() where it fits);
    // readMaster waits up to timeoutMs real milliseconds for data; returns bytes read,
    // 0 on time-out, -1 on error.
    int writeMaster(const std::string& bytes);
    int readMaster(std::string* out, int timeoutMs);
    // Bytes written to the master that no reader of the slave has taken yet.
    int unreadBySlave() const;

private:
    int master_ = -1;
    int slaveKeep_ = -1; // kept open so the master never sees a hang-up between opens
    std::string slavePath_;
};

} // namespace platform::sim
