#include "ui/insights/latest_job.h"

#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

namespace velmora {

JobRunner threadPoolRunner() {
    return [](std::function<void()> job) {
        auto promise = std::make_shared<QPromise<void>>();
        promise->start();
        QFuture<void> future = promise->future();
        QThreadPool::globalInstance()->start([promise, job = std::move(job)] {
            job();
            promise->finish();
        });
        return future;
    };
}

LatestJob::LatestJob(QObject* parent) : QObject(parent) {}

// A job still running finishes on its thread, alone: it owns what it reads.
LatestJob::~LatestJob() {
    stop_.request_stop();
}

void LatestJob::cancel() {
    stop_.request_stop();
    stop_ = std::stop_source();
    // Its finishing, already posted or not, goes with it.
    delete watcher_;
    watcher_ = nullptr;
}

void LatestJob::launch(std::function<void()> job, std::function<void()> finish) {
    auto* watcher = new QFutureWatcher<void>(this);
    watcher_ = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, finish] {
        watcher_ = nullptr;
        watcher->deleteLater();
        finish();
    });
    watcher->setFuture(runner_(std::move(job)));
}

}  // namespace velmora
