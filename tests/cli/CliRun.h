#pragma once

// tarvine-cli as a child process, with what it cost: its peak memory and CPU
// time, from wait4 for that child alone.

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace clirun {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
    // Peak resident memory in megabytes, never below startMegabytes, the
    // parent's resident memory when the child began; user plus system CPU
    // seconds.
    double peakMegabytes = 0;
    double startMegabytes = 0;
    double cpuSeconds = 0;
};

// One row of a table of runs: the arguments and standard input, and what
// must come of them.
struct CliCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string input;
    int status;
    std::string out;
    std::string err;
    friend void PrintTo(const CliCase& row, std::ostream* stream) { *stream << row.name; }
};

inline std::string writeFile(const std::string& name, const std::string& contents)
{
    // The process id keeps concurrent runs (plain and sanitized, each test
    // its own process) apart.
    const auto path = testing::TempDir() + "tarvine-cli-" + std::to_string(getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The resident memory of this process now, in megabytes.
inline double residentMegabytes()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

// What becomes of the child's standard output.
enum class Output { keep, discard };

// Runs tarvine-cli with `arguments` and `input` on standard input.
//
// A child's peak memory counts what its address space held when it began:
// for a spawned child (which borrows the parent's space until it starts the
// program) the parent's peak, for a forked one only the parent's resident
// memory at the fork. So this forks, after handing freed memory back to the
// system, and reports that starting point beside the peak.
inline CliRun runCli(const std::vector<std::string>& arguments, std::string input = "", Output output = Output::keep)
{
    const auto in = writeFile("in", input), err = writeFile("err", "");
    std::string().swap(input); // not to be counted in the child's memory
    const auto out = output == Output::keep ? writeFile("out", "") : std::string("/dev/null");
    std::vector<char*> argv{const_cast<char*>(TARVINE_CLI_PATH)};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    CliRun run;
    malloc_trim(0);
    run.startMegabytes = residentMegabytes();
    const pid_t pid = fork();
    if (pid == 0) {
        const auto redirect = [](const std::string& path, int flags, int descriptor) {
            const int file = open(path.c_str(), flags);
            return file >= 0 && dup2(file, descriptor) >= 0;
        };
        if (redirect(in, O_RDONLY, 0) && redirect(out, O_WRONLY | O_TRUNC, 1) && redirect(err, O_WRONLY | O_TRUNC, 2))
            execv(TARVINE_CLI_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
        run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024; // ru_maxrss is in KiB
        const auto seconds = [](const timeval& time) {
            return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
        };
        run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    run.out = readFile(out);
    run.err = readFile(err);
    for (const auto& path : {in, err})
        std::remove(path.c_str());
    if (output == Output::keep)
        std::remove(out.c_str());
    return run;
}

} // namespace clirun
