#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

#include <QFuture>
#include <QObject>

template <typename T>
class QFutureWatcher;

namespace velmora {

/// Runs one job of a decision tool somewhere and returns a future that
/// finishes once it has run. By default the job runs on Qt's thread pool;
/// tests pass a runner that runs it at once, or keeps it to run later.
using JobRunner = std::function<QFuture<void>(std::function<void()> job)>;

/// Qt's global thread pool.
[[nodiscard]] JobRunner threadPoolRunner();

/// The one job of a panel whose answer is still wanted. Starting another job,
/// or cancelling, asks the running one to stop through its stop token and
/// drops its answer, whenever it comes; the answer of the latest job is
/// delivered on the thread of this object, on a later turn of its event loop.
class LatestJob final : public QObject {
    Q_OBJECT

public:
    explicit LatestJob(QObject* parent);
    ~LatestJob() override;

    /// Runs the jobs started from now on through `runner`.
    void setRunner(JobRunner runner) { runner_ = std::move(runner); }

    /// Runs `work` through the runner, then `deliver` with its result. `work`
    /// runs on another thread: it must own everything it reads.
    template <typename Result>
    void start(std::function<Result(std::stop_token)> work, std::function<void(Result)> deliver) {
        cancel();
        auto result = std::make_shared<std::optional<Result>>();
        launch([result, work = std::move(work), stop = stop_.get_token()] { *result = work(stop); },
               [result, deliver = std::move(deliver)] {
                   if (*result) {
                       deliver(std::move(**result));
                   }
               });
    }

    /// Asks the running job to stop, and forgets it.
    void cancel();
    /// Whether a job was started and its answer has not been delivered yet.
    [[nodiscard]] bool isRunning() const { return watcher_ != nullptr; }

private:
    void launch(std::function<void()> job, std::function<void()> finish);

    JobRunner runner_ = threadPoolRunner();
    std::stop_source stop_;
    QFutureWatcher<void>* watcher_ = nullptr;
};

}  // namespace velmora
