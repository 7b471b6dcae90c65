#pragma once
// "立即采集" (工具 menu): a collection of every recorder of the list now, on workers, with the
// progress of each recorder and a row of results; 停止 ends the uploads between blocks and
// leaves nothing half-written. The interface stays free throughout.

#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/vardo_doc.h"
#include "collect/collector.h"
#include "settings/recorder_list.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vardo {

class CCollectRunDlg : public QDialog {
  public:
    explicit CCollectRunDlg(CVardoDoc& doc, QWidget* parent = nullptr);
    // Stops a running collection and waits for it.
    ~CCollectRunDlg() override;

    // Starts the collection of the list as it is now.
    void Start();
    void Stop();
    bool Busy() const { return running_; }
    const std::vector<CollectResult>& Results() const { return results_; }

    QTableWidget* table;
    QLabel* status;
    QPushButton* stopButton;
    QPushButton* closeButton;

    // Escape and the close box stop the collection first.
    void reject() override;

  private:
    void Progress(std::size_t row, std::uint32_t done, std::uint32_t total);
    void Done(std::size_t row, const CollectResult& result);
    void Finished(const std::vector<CollectResult>& results,
                  const std::vector<std::string>& failure);
    void Join();

    CVardoDoc& doc_;
    std::vector<RecorderEntry> recorders_;
    std::vector<QProgressBar*> bars_;
    std::vector<CollectResult> results_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
    bool closeWhenDone_ = false;
};

}  // namespace vardo
