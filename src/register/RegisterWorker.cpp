#include "register/RegisterWorker.h"

namespace nutrovo::reg {

namespace {

constexpr std::chrono::milliseconds longestStatement{9000};
// How often a statement under way is looked at.
constexpr std::chrono::milliseconds lookEvery{100};

} // namespace

RegisterWorker::RegisterWorker(RegisterLocation location, const ServerSecrets &secrets)
    : location_(std::move(location)), secrets_(secrets), store_(std::make_shared<RegisterStore>(location_))
{
    store_->setSecrets(secrets);
    store_->watchStatements(statements_);
    pool_.setMaxThreadCount(1);
    pool_.setExpiryTimeout(-1); // the same thread for every command: its connections live there
    overdue_.setInterval(lookEvery);
    connect(&overdue_, &QTimer::timeout, this, [this] { statements_->cutIfOverdue(statementLimit()); });
}

RegisterWorker::~RegisterWorker()
{
    *stopping_ = true;
    statements_->cutNow();
    pool_.start([store = std::move(store_)]() mutable { store.reset(); });
    pool_.waitForDone();
}

void RegisterWorker::setPassword(const QString &password)
{
    secrets_.password = password;
    pool_.start([store = store_, password] { store->setPassword(password); });
}

std::chrono::milliseconds RegisterWorker::statementLimit()
{
    bool given = false;
    const int ms = qEnvironmentVariableIntValue("NUTROVO_REGISTER_WAIT_MS", &given);
    return given && ms > 0 && ms < longestStatement.count() ? std::chrono::milliseconds(ms) : longestStatement;
}

void RegisterWorker::began()
{
    if (running_++ == 0)
        overdue_.start();
}

void RegisterWorker::ended(const std::optional<QString> &readOnly)
{
    readOnlyReason_ = readOnly;
    if (--running_ == 0)
        overdue_.stop();
}

} // namespace nutrovo::reg
