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

std::string currentDirectory()
{
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string("/root");
}
} // namespace

ShellRecorder::ShellRecorder() : workingDirectory_(currentDirectory()) {}

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
    std::string out;
    int code = 0;
    bool matched = false;
    Hook hook;
    std::vector<Responder> responders;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back({commandLine, viaShell, timeUs});
        responders = responders_;
    }
    for (auto& r : responders) {
        if (r(commandLine, &out, &code)) {
            matched = true;
            break;
        }
    }
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
            if (t == "pwd")
                out = workingDirectory_ + "\n";
            else if (t == "uname -r")
                out = "5.4.0-sim\n";
            else if (t == "uname -a")
                out = "Linux varnok 5.4.0-sim #1 SMP PREEMPT armv7l GNU/Linux\n";
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
