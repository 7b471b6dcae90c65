#include "curves/span_stats_run.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>

#include "app/dialog_worker.h"
#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

namespace {

constexpr int kBarSteps = 1000;

}  // namespace

SpanStatsRun RunSpanStats(QWidget* parent, const std::string& url, std::int64_t recorder,
                          const SpanConfigs& configs, const SpanBounds& bounds,
                          std::int64_t records) {
    QProgressDialog box(UiText(texts::kStatWorking), UiText(texts::kCancel), 0, kBarSteps, parent);
    box.setWindowTitle(UiText(texts::kStatTitle));
    box.setWindowModality(Qt::WindowModal);
    box.setAutoClose(false);
    box.setAutoReset(false);
    box.setMinimumDuration(0);
    box.setValue(0);
    // Up at once, not after the box's own timer: the work is known to be long.
    box.show();

    SpanStatsRun out;
    QEventLoop loop;
    // Declared after the box and the loop: it is joined before either goes.
    DialogWorker worker;
    QObject::connect(&box, &QProgressDialog::canceled, &box, [&worker] { worker.RequestStop(); });
    const QPointer<QProgressDialog> bar(&box);
    const std::atomic<bool>* stop = worker.StopFlag();
    const auto job = [url, recorder, configs, bounds, records, stop, bar] {
        SpanStatsRun run;
        ArchiveOpen open = OpenArchive(url, false);
        if (open.status != ArchiveStatus::Ok) {
            run.status = open.status;
            run.error = open.error;
            return run;
        }
        const auto going = [&](std::int64_t taken) {
            const int at = static_cast<int>(std::min<std::int64_t>(
                kBarSteps, taken * kBarSteps / std::max<std::int64_t>(records, 1)));
            QMetaObject::invokeMethod(
                bar,
                [bar, at] {
                    if (bar) bar->setValue(at);
                },
                Qt::QueuedConnection);
            return !stop->load();
        };
        run.status = SpanStats(*open.store, recorder, configs, bounds, 1, run.result, going);
        if (run.status != ArchiveStatus::Ok) run.error = open.store->LastError();
        return run;
    };
    // Started from the loop, once the box is up: a 取消 that comes first stops it from starting.
    QTimer::singleShot(0, &box, [&] {
        if (box.wasCanceled()) {
            out.cancelled = true;
            loop.quit();
            return;
        }
        worker.Start(&box, job, [&out, &loop, &box](const SpanStatsRun& run) {
            out = run;
            // Whatever the worker got to, a 取消 the user gave is what counts.
            out.cancelled = box.wasCanceled();
            loop.quit();
        });
    });
    loop.exec();
    return out;
}

}  // namespace vardo
