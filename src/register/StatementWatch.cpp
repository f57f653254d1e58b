#include "register/StatementWatch.h"

#include <sys/socket.h>

namespace nutrovo::reg {

void StatementWatch::attach(int socket)
{
    const std::scoped_lock lock(mutex_);
    socket_ = socket;
    cut_ = false;
}

void StatementWatch::detach()
{
    const std::scoped_lock lock(mutex_);
    socket_ = -1;
    since_.reset();
}

void StatementWatch::began()
{
    const std::scoped_lock lock(mutex_);
    since_ = Clock::now();
}

void StatementWatch::ended()
{
    const std::scoped_lock lock(mutex_);
    since_.reset();
}

bool StatementWatch::cutIfOverdue(std::chrono::milliseconds limit)
{
    const std::scoped_lock lock(mutex_);
    if (!since_ || Clock::now() - *since_ < limit)
        return false;
    cut();
    return true;
}

void StatementWatch::cutNow()
{
    const std::scoped_lock lock(mutex_);
    cut();
}

bool StatementWatch::wasCut() const
{
    const std::scoped_lock lock(mutex_);
    return cut_;
}

// Shut down, not closed: the number stays the connection's until libpq
// closes it, and its blocked read returns at once.
void StatementWatch::cut()
{
    if (socket_ < 0)
        return;
    ::shutdown(socket_, SHUT_RDWR);
    cut_ = true;
}

} // namespace nutrovo::reg
