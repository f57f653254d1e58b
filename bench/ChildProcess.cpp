#include "ChildProcess.h"

#include "Clock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace nutrovo::bench {

namespace {

std::vector<std::string> childEnvironment(const EnvironmentChanges &changes)
{
    std::vector<std::string> entries;
    entries.reserve(changes.size() + 64);
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        if (changes.find(name) == changes.end())
            entries.push_back(text);
    }
    for (const auto &[name, value] : changes) {
        if (value.empty())
            continue;
        std::string entry = name;
        entry += '=';
        entry += value;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<char *> pointersTo(std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Everything the child writes on standard output, up to its end.
std::string readAll(int fd)
{
    std::string text;
    char buffer[256];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            return text;
    }
}

std::string fileText(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string exitFailure(int status)
{
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {};
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

} // namespace

ChildRun runUntilFirstFrame(const std::string &program, const EnvironmentChanges &changes)
{
    ChildRun run;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        run.failure = std::strerror(errno);
        return run;
    }
    char errorPath[] = "/tmp/nutrovo-bench-stderr-XXXXXX";
    const int errorFd = mkostemp(errorPath, O_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (errorFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
    std::vector<std::string> environment = childEnvironment(changes);
    std::vector<char *> envp = pointersTo(environment);
    std::string programCopy = program;
    char *argv[] = {programCopy.data(), nullptr};

    const long long spawnedAt = monotonicNanoseconds();
    pid_t pid = 0;
    const int spawnError = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawnError != 0) {
        close(out[0]);
        run.failure = "cannot start " + program + ": " + std::strerror(spawnError);
    } else {
        const std::string reported = readAll(out[0]);
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        run.failure = exitFailure(status);
        long long mainAt = 0, madeAt = 0, windowAt = 0, frameAt = 0;
        std::istringstream(reported) >> mainAt >> madeAt >> windowAt >> frameAt >> run.peakKiB;
        if (run.ok() && frameAt <= spawnedAt)
            run.failure = "no first frame reported";
        const auto ms = [](long long from, long long to) {
            return static_cast<double>(to - from) / 1e6;
        };
        run.milliseconds = ms(spawnedAt, frameAt);
        run.loadMs = ms(spawnedAt, mainAt);
        run.applicationMs = ms(mainAt, madeAt);
        run.windowMs = ms(madeAt, windowAt);
        run.paintMs = ms(windowAt, frameAt);
        run.messages = fileText(errorPath);
        if (!run.ok())
            run.failure += "\n" + run.messages;
    }
    if (errorFd >= 0) {
        close(errorFd);
        unlink(errorPath);
    }
    return run;
}

} // namespace nutrovo::bench
