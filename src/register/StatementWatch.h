// How long the server's statement under way has been running, and its
// connection's socket, so that another thread can cut a connection whose
// server stopped answering: the statement then fails at once, where
// otherwise it would wait on the server for as long as the kernel keeps
// the connection.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>

namespace nutrovo::reg {

class StatementWatch {
public:
    using Clock = std::chrono::steady_clock;

    // The connection's socket, from when it is open until just before it
    // closes (a socket's number is reused once closed).
    void attach(int socket);
    void detach();
    // Around each statement.
    void began();
    void ended();

    // From any thread: cuts the connection if its statement has run longer
    // than `limit`; true when it did.
    bool cutIfOverdue(std::chrono::milliseconds limit);
    // From any thread: cuts the connection, whatever it is doing.
    void cutNow();
    // Whether the connection was cut; cleared by the next attach.
    bool wasCut() const;

private:
    void cut();

    mutable std::mutex mutex_;
    int socket_ = -1;
    std::optional<Clock::time_point> since_;
    bool cut_ = false;
};

} // namespace nutrovo::reg
