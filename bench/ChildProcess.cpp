#include "ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace benchchild {

namespace {

[[noreturn]] void execChild(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    std::_Exit(127);
}

void toNull(int fd)
{
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, fd);
    ::close(null);
}

} // namespace

Finished runToEnd(const std::vector<std::string>& argv, const std::string& dir)
{
    Finished f;
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!dir.empty() && ::chdir(dir.c_str()) != 0)
            std::_Exit(126);
        toNull(STDOUT_FILENO);
        toNull(STDERR_FILENO);
        execChild(argv);
    }
    if (pid < 0)
        return f;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    f.peakKb = usage.ru_maxrss;
    f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return f;
}

pid_t start(const std::vector<std::string>& argv, int* out, bool fromErrors, int cpu)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (cpu >= 0 && !pinTo(cpu))
            std::_Exit(125);
        ::dup2(fds[1], fromErrors ? STDERR_FILENO : STDOUT_FILENO);
        toNull(fromErrors ? STDOUT_FILENO : STDERR_FILENO);
        execChild(argv);
    }
    ::close(fds[1]);
    *out = fds[0];
    return pid;
}

bool pinTo(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return ::sched_setaffinity(0, sizeof set, &set) == 0;
}

std::vector<int> allowedCpus()
{
    std::vector<int> cpus;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &set))
                cpus.push_back(cpu);
        }
    }
    return cpus;
}

std::string readLine(int fd, int timeoutMs)
{
    std::string line;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return {};
        char c = 0;
        if (::read(fd, &c, 1) != 1)
            return {};
        if (c == '\n')
            return line;
        line += c;
    }
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

std::string ownFolder()
{
    char path[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string s(path, n > 0 ? static_cast<size_t>(n) : 0);
    return s.substr(0, s.rfind('/'));
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace benchchild
