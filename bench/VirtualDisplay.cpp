#include "VirtualDisplay.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nutrovo::bench {

namespace {

constexpr int startTimeoutMs = 10000;

// Xvfb writes the display number it chose, and a newline, to -displayfd.
std::string readDisplayNumber(int fd)
{
    std::string number;
    pollfd ready{fd, POLLIN, 0};
    while (poll(&ready, 1, startTimeoutMs) > 0) {
        char c = 0;
        if (read(fd, &c, 1) != 1 || c == '\n')
            break;
        number.push_back(c);
    }
    return number;
}

} // namespace

VirtualDisplay::VirtualDisplay()
{
    int numberPipe[2];
    if (pipe2(numberPipe, O_CLOEXEC) != 0) {
        failure_ = std::strerror(errno);
        return;
    }
    // The write end becomes descriptor 3 of the server; nothing else leaks.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, numberPipe[1], 3);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = "Xvfb";
    char displayFd[] = "-displayfd";
    char three[] = "3";
    char screen[] = "-screen";
    char zero[] = "0";
    char geometry[] = "1280x1024x24";
    char noTcp[] = "-nolisten";
    char tcp[] = "tcp";
    char *argv[] = {program, displayFd, three, screen, zero, geometry, noTcp, tcp, nullptr};
    const int error = posix_spawnp(&pid_, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(numberPipe[1]);
    if (error != 0) {
        failure_ = std::string("cannot start Xvfb: ") + std::strerror(error);
        pid_ = 0;
    } else {
        const std::string number = readDisplayNumber(numberPipe[0]);
        if (number.empty())
            failure_ = "Xvfb reported no display number";
        else
            name_ = ':' + number;
    }
    close(numberPipe[0]);
}

VirtualDisplay::~VirtualDisplay()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

} // namespace nutrovo::bench
