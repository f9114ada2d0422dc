#include "ShellRecorder.h"

#include <unistd.h>

namespace platform::sim {

namespace {
std::string trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// The script of "/bin/sh -c \"script\"", as the Launcher's lines hand it to a shell; any
// other line as it is.
std::string script(const std::string& commandLine)
{
    static const std::string kShell = "/bin/sh -c \"";
    const std::string t = trimmed(commandLine);
    if (t.compare(0, kShell.size(), kShell) != 0 || t.back() != '"')
        return t;
    return trimmed(t.substr(kShell.size(), t.size() - kShell.size() - 1));
}

std::string currentDirectory()
{
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string("/root");
}
} // namespace

ShellRecorder::ShellRecorder() = default;

bool ShellRecorder::isHalt(const std::string& commandLine)
{
    std::string t = trimmed(commandLine);
    // "halt", "halt &" and the unit's "/bin/sh -c \"halt & \"".
    return t == "halt" || t.rfind("halt ", 0) == 0 || t.find("\"halt") != std::string::npos
        || t.find("halt &") != std::string::npos;
}

bool ShellRecorder::isRestart(const std::string& commandLine)
{
    return commandLine.find("llamada_aplicacion.sh") != std::string::npos;
}

void ShellRecorder::answer(const std::string& commandLine, bool viaShell, uint64_t timeUs, std::string* output,
                           int* exitCode)
{
    answerRecorded({commandLine, viaShell, timeUs, {}}, output, exitCode);
}

void ShellRecorder::answerProgram(const std::vector<std::string>& argv, uint64_t timeUs, std::string* output,
                                  int* exitCode)
{
    answerRecorded({joined(argv), false, timeUs, argv}, output, exitCode);
}

std::string ShellRecorder::joined(const std::vector<std::string>& argv)
{
    std::string line;
    for (const std::string& a : argv)
        line += (line.empty() ? "" : " ") + a;
    return line;
}

void ShellRecorder::answerRecorded(const RecordedCommand& command, std::string* output, int* exitCode)
{
    const std::string& commandLine = command.commandLine;
    std::string out;
    int code = 0;
    bool matched = false;
    Hook hook;
    std::vector<Responder> responders;
    std::vector<ProgramResponder> programResponders;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(command);
        responders = responders_;
        if (!command.argv.empty())
            programResponders = programResponders_;
    }
    for (auto& r : programResponders) {
        if (r(command.argv, &out, &code)) {
            matched = true;
            break;
        }
    }
    for (auto it = responders.begin(); !matched && it != responders.end(); ++it)
        matched = (*it)(commandLine, &out, &code);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string t = trimmed(commandLine);
        for (auto it = replies_.rbegin(); !matched && it != replies_.rend(); ++it) {
            if (!it->prefix && it->key == t) {
                out = it->output;
                code = it->exitCode;
                matched = true;
            }
        }
        for (auto it = replies_.rbegin(); !matched && it != replies_.rend(); ++it) {
            if (it->prefix && t.compare(0, it->key.size(), it->key) == 0) {
                out = it->output;
                code = it->exitCode;
                matched = true;
            }
        }
        if (!matched) {
            const std::string s = script(commandLine);
            if (s == "pwd")
                out = (workingDirectory_.empty() ? currentDirectory() : workingDirectory_) + "\n";
            else if (s == "uname -r")
                out = "5.4.0-sim\n";
            else if (s == "uname -a")
                out = "Linux varnok 5.4.0-sim #1 SMP PREEMPT armv7l GNU/Linux\n";
            else if (s.rfind("cat /etc/*release", 0) == 0 && s.find("PRETTY_NAME=") != std::string::npos)
                out = "\"SimLinux 1.0\"\n"; // the value of PRETTY_NAME="SimLinux 1.0"
        }
        if (isHalt(t))
            hook = haltHook_;
        else if (isRestart(t))
            hook = restartHook_;
    }
    if (hook)
        hook(commandLine);
    if (output)
        *output = out;
    if (exitCode)
        *exitCode = code;
}

void ShellRecorder::setReply(const std::string& exactCommand, const std::string& output, int exitCode)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_.push_back({trimmed(exactCommand), output, exitCode, false});
}

void ShellRecorder::setPrefixReply(const std::string& prefix, const std::string& output, int exitCode)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replies_.push_back({prefix, output, exitCode, true});
}

void ShellRecorder::addResponder(Responder responder)
{
    std::lock_guard<std::mutex> lock(mutex_);
    responders_.push_back(std::move(responder));
}

void ShellRecorder::addProgramResponder(ProgramResponder responder)
{
    std::lock_guard<std::mutex> lock(mutex_);
    programResponders_.push_back(std::move(responder));
}

void ShellRecorder::setHaltHook(Hook hook)
{
    std::lock_guard<std::mutex> lock(mutex_);
    haltHook_ = std::move(hook);
}

void ShellRecorder::setRestartHook(Hook hook)
{
    std::lock_guard<std::mutex> lock(mutex_);
    restartHook_ = std::move(hook);
}

void ShellRecorder::setWorkingDirectory(const std::string& dir)
{
    std::lock_guard<std::mutex> lock(mutex_);
    workingDirectory_ = dir;
}

void ShellRecorder::setRunTime(const std::string& prefix, uint64_t ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    runTimes_.emplace_back(prefix, ms);
}

uint64_t ShellRecorder::runTimeMs(const std::string& commandLine) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::string t = trimmed(commandLine);
    for (auto it = runTimes_.rbegin(); it != runTimes_.rend(); ++it)
        if (t.compare(0, it->first.size(), it->first) == 0)
            return it->second;
    return 0;
}

std::vector<RecordedCommand> ShellRecorder::commands() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

std::vector<std::string> ShellRecorder::commandLines() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& c : commands_)
        out.push_back(c.commandLine);
    return out;
}

std::vector<std::vector<std::string>> ShellRecorder::programs() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::vector<std::string>> out;
    for (const auto& c : commands_)
        if (!c.argv.empty())
            out.push_back(c.argv);
    return out;
}

bool ShellRecorder::sawCommandContaining(const std::string& fragment) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& c : commands_)
        if (c.commandLine.find(fragment) != std::string::npos)
            return true;
    return false;
}

void ShellRecorder::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.clear();
}

} // namespace platform::sim
