// The unit's shell commands on a machine that is not the unit: every command line is
// recorded and answered as the unit would answer it; nothing is ever executed, so
// mount, halt, ifup, udhcpc, hwclock, date -s, aplay, ts_calibrate and cp to /mnt
// cannot touch the developer's machine.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform::sim {

struct RecordedCommand {
    std::string commandLine; // for a program, its arguments joined by blanks
    bool viaShell = true;    // false: started as a process (Launcher) or a program
    uint64_t timeUs = 0;
    std::vector<std::string> argv; // a program started with its argument vector; else empty
};

class ShellRecorder {
public:
    using Hook = std::function<void(const std::string& commandLine)>;
    using Responder = std::function<bool(const std::string& commandLine, std::string* output, int* exitCode)>;
    using ProgramResponder = std::function<bool(const std::vector<std::string>& argv, std::string* output, int* exitCode)>;

    ShellRecorder();

    // Answers a command and records it. The first matching rule wins: responders,
    // then exact replies, then prefix replies, then the built-in answers.
    void answer(const std::string& commandLine, bool viaShell, uint64_t timeUs, std::string* output, int* exitCode);
    // The same for a program started with its argument vector: its responders come first,
    // then the rules above on the joined arguments.
    void answerProgram(const std::vector<std::string>& argv, uint64_t timeUs, std::string* output, int* exitCode);

    void setReply(const std::string& exactCommand, const std::string& output, int exitCode = 0);
    void setPrefixReply(const std::string& prefix, const std::string& output, int exitCode = 0);
    void addResponder(Responder responder);
    void addProgramResponder(ProgramResponder responder);
    // Called (outside the recorder's lock) for "halt" and for the restart script.
    void setHaltHook(Hook hook);
    void setRestartHook(Hook hook);
    // What "pwd" prints; by default the directory the process is in when it asks.
    void setWorkingDirectory(const std::string& dir);
    // How long commands starting with the prefix run before they end (board time);
    // a launcher with a shorter time-out kills them. Default: they end at once.
    void setRunTime(const std::string& prefix, uint64_t ms);
    uint64_t runTimeMs(const std::string& commandLine) const;

    std::vector<RecordedCommand> commands() const;
    std::vector<std::string> commandLines() const;
    // The argument vectors of the programs started, in order.
    std::vector<std::vector<std::string>> programs() const;
    bool sawCommandContaining(const std::string& fragment) const;
    void clear();

    static bool isHalt(const std::string& commandLine);
    // A program's arguments joined by blanks, as its record and the reply rules see them.
    static std::string joined(const std::vector<std::string>& argv);
    static bool isRestart(const std::string& commandLine);

private:
    void answerRecorded(const RecordedCommand& command, std::string* output, int* exitCode);

    struct Reply {
        std::string key;
        std::string output;
        int exitCode;
        bool prefix;
    };
    mutable std::mutex mutex_;
    std::vector<RecordedCommand> commands_;
    std::vector<Reply> replies_;
    std::vector<std::pair<std::string, uint64_t>> runTimes_;
    std::vector<Responder> responders_;
    std::vector<ProgramResponder> programResponders_;
    Hook haltHook_;
    Hook restartHook_;
    std::string workingDirectory_;
};

} // namespace platform::sim
