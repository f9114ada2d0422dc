// Child processes of the benchmarks that compare the instrument with a bare Qt peer: each
// side runs as a program of its own, so neither shares the other's libraries, heap or
// event loop.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace benchchild {

struct Finished {
    double seconds = 0; // from the fork to the end of the process
    long peakKb = 0;    // the process's peak resident memory
    bool ok = false;    // ended by itself with status 0
};

// Runs argv to its end in dir (the current one when empty), its output thrown away.
Finished runToEnd(const std::vector<std::string>& argv, const std::string& dir = {});

// Starts argv with one of its output streams (standard output, or errors with
// fromErrors) into a pipe returned in *out, the other thrown away; with cpu >= 0 the child
// and all its threads run on that processor only. The pid, or -1.
pid_t start(const std::vector<std::string>& argv, int* out, bool fromErrors = false, int cpu = -1);

// Keeps the calling thread on one processor.
bool pinTo(int cpu);

// The processors this process may run on, lowest first.
std::vector<int> allowedCpus();

// Reads one line from fd (waits at most timeoutMs); empty on time-out or end.
std::string readLine(int fd, int timeoutMs = 10000);

// Ends a child started by start() and reaps it.
void stop(pid_t pid);

// The folder this benchmark's executable lies in (the bare peers are built beside it).
std::string ownFolder();

// The median of values (0 when empty).
double median(std::vector<double> values);

} // namespace benchchild
