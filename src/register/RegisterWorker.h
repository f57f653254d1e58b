// The register on a thread of its own. Each command runs there, one at a
// time in the order asked, on connections of that thread's own (the
// toolkit's database connections belong to the thread that made them), and
// its result comes back to the thread of the object that asked: the window
// never waits on a disk or a server. A server statement that runs past
// the limit has its connection cut from here, so no command waits longer.
#pragma once

#include "register/RegisterStore.h"
#include "register/StatementWatch.h"

#include <QEventLoop>
#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

namespace nutrovo::reg {

class RegisterWorker final : public QObject {
public:
    explicit RegisterWorker(RegisterLocation location, const ServerSecrets &secrets = {});
    // Cuts the statement under way, drops the commands not yet begun, and
    // closes the register on its own thread.
    ~RegisterWorker() override;
    RegisterWorker(const RegisterWorker &) = delete;
    RegisterWorker &operator=(const RegisterWorker &) = delete;

    const RegisterLocation &location() const { return location_; }
    // As the last command that ended found it.
    const std::optional<QString> &readOnlyReason() const { return readOnlyReason_; }
    // In memory only; used from the next command on.
    void setPassword(const QString &password);
    const ServerSecrets &secrets() const { return secrets_; }

    // work(store) on the register's thread, then done(result) on the
    // thread of `context`, unless it is gone by then.
    template <typename T, typename Work, typename Done>
    void run(QObject *context, Work work, Done done)
    {
        QPointer<RegisterWorker> self(this);
        // The outcome is taken by value: most commands move its result on.
        // cppcheck-suppress accessMoved ; work is moved once, into start
        // NOLINTNEXTLINE(performance-unnecessary-value-param)
        start<T>(std::move(work)).then(context, [self, done = std::move(done)](Outcome<T> outcome) mutable {
            if (self)
                self->ended(outcome.readOnly);
            done(std::move(outcome.result));
        });
    }

    // The same, its result waited for in an event loop of its own: the
    // window and its dialogs repaint and take input meanwhile.
    template <typename T, typename Work> Result<T> wait(Work work)
    {
        std::optional<Result<T>> answer;
        QEventLoop loop;
        run<T>(&loop, std::move(work), [&](Result<T> result) {
            answer.emplace(std::move(result));
            loop.quit();
        });
        if (!answer)
            loop.exec();
        return std::move(*answer); // NOLINT(bugprone-unchecked-optional-access): set before the loop ends
    }

    // The longest a statement may wait on the server; the environment's
    // NUTROVO_REGISTER_WAIT_MS makes it shorter.
    static std::chrono::milliseconds statementLimit();

private:
    template <typename T> struct Outcome {
        Result<T> result;
        std::optional<QString> readOnly;
    };

    template <typename T, typename Work> QFuture<Outcome<T>> start(Work work)
    {
        began();
        return QtConcurrent::run(&pool_, [store = store_, stopping = stopping_, work = std::move(work)]() {
            if (*stopping)
                return Outcome<T>{Failure{Trouble::Other, QStringLiteral("The register was closed.")}, {}};
            Result<T> result = work(*store);
            return Outcome<T>{std::move(result), store->readOnlyReason()};
        });
    }
    void began();
    void ended(const std::optional<QString> &readOnly);

    RegisterLocation location_;
    ServerSecrets secrets_;
    std::shared_ptr<StatementWatch> statements_ = std::make_shared<StatementWatch>();
    std::shared_ptr<RegisterStore> store_;
    std::shared_ptr<std::atomic<bool>> stopping_ = std::make_shared<std::atomic<bool>>(false);
    std::optional<QString> readOnlyReason_;
    int running_ = 0;
    QTimer overdue_;
    QThreadPool pool_; // one thread, kept for the worker's life
};

} // namespace nutrovo::reg
