#pragma once
// A dialog's long job (an upload, a card import, an export) on a thread of its own. The thread
// reaches the dialog only through queued calls that first check the dialog is still there, and
// it is joined before its result is looked at, so a job that ends while its dialog goes away
// touches nothing and no thread outlives the dialog.

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>

class QProgressBar;

namespace vardo {

class DialogWorker {
  public:
    DialogWorker() = default;
    ~DialogWorker() { Stop(); }
    DialogWorker(const DialogWorker&) = delete;
    DialogWorker& operator=(const DialogWorker&) = delete;

    // Runs job() on the worker thread (never while Busy()); finished(result) follows on the
    // dialog's own thread once the thread has ended, unless the dialog is gone by then.
    template <class Job, class Finished>
    void Start(QObject* dialog, Job job, Finished finished) {
        stop_ = false;
        QPointer<QObject> self(dialog);
        thread_ = std::thread([this, self, job = std::move(job), finished = std::move(finished)] {
            auto result = job();
            QMetaObject::invokeMethod(
                self,
                [this, self, result, finished] {
                    if (!self) return;
                    Join();
                    finished(result);
                },
                Qt::QueuedConnection);
        });
    }

    // From Start until its finished call.
    bool Busy() const { return thread_.joinable(); }
    // What the job polls; set by RequestStop and Stop, cleared by Start.
    const std::atomic<bool>* StopFlag() const { return &stop_; }
    void RequestStop() { stop_ = true; }
    // Asks the job to stop and waits for it; a dialog that stays still gets its finished call.
    void Stop() {
        stop_ = true;
        Join();
    }

  private:
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    std::thread thread_;
    std::atomic<bool> stop_{false};
};

// A progress callback for a worker: shows done of total on bar through queued calls, and
// nothing once the bar is gone.
std::function<void(std::uint32_t done, std::uint32_t total)> QueuedProgress(QProgressBar* bar);

}  // namespace vardo
