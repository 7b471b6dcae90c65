#include "app/dialog_worker.h"

#include <QProgressBar>

namespace vardo {

std::function<void(std::uint32_t, std::uint32_t)> QueuedProgress(QProgressBar* bar) {
    QPointer<QProgressBar> target(bar);
    return [target](std::uint32_t done, std::uint32_t total) {
        QMetaObject::invokeMethod(
            target,
            [target, done, total] {
                if (!target) return;
                target->setRange(0, static_cast<int>(total));
                target->setValue(static_cast<int>(done));
            },
            Qt::QueuedConnection);
    };
}

}  // namespace vardo
