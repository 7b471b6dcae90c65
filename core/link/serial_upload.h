#pragma once
// Uploading stored history over the serial line into a new history file: the recorder's time
// range, the checks and grid alignment of the chosen span, the file header, and the block
// loop. The upload dialog and vardo-cli drive the same steps; the loop reports progress and
// can be stopped from another thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/reporter.h"
#include "history/history_data.h"
#include "link/recorder_link.h"
#include "link/recorder_memory_map.h"
#include "link/upload_plan.h"

namespace vardo {

enum class UploadStatus {
    Done,
    OpenFailed,       // "打开串口失败！"
    CommFailed,       // "通讯失败！"
    SpanReversed,     // "请确认 开始时间 < 结束时间"
    StartOutOfRange,  // "开始时间 超出范围"
    EndOutOfRange,    // "结束时间 超出范围"
    FileFailed,       // "文件建立失败！"
    NoChannels,       // refused before anything is read; no system text of its own
    Stopped,
};

// The system's message for a status (nullptr for Done, NoChannels, Stopped) and its icon.
const char* UploadMessage(UploadStatus status);
MessageIcon UploadIcon(UploadStatus status);
// Shows the status's message, if it has one.
void ReportUpload(UploadStatus status, Reporter& reporter);

struct RecorderRange {
    VTime newestTime = 0;
    VTime oldestTime = 0;
    int intervalCode = 0;
    int channelCount = 0;  // 0 until read
};

struct UploadChoice {
    bool all = false;  // everything the recorder holds
    VTime start = 0;
    VTime end = 0;
    std::array<bool, kMaxChannels> channels{};  // selected channel lines, from channel 1
};

struct UploadTarget {
    std::string extension = "vd";
    int address = 8;   // first part of the file name
    std::string home;  // directory holding Data/ (ModuleDirectory() when empty)
};

// (blocks done, blocks in all)
using UploadProgress = std::function<void(std::uint32_t, std::uint32_t)>;

class CSerialUpload {
  public:
    // The link must be open; modelIndex selects the memory map row.
    CSerialUpload(CRecorderLink& link, int modelIndex);

    // Newest stamp, interval code and channel count (3 when the model has no count address).
    [[nodiscard]] UploadStatus ReadTimeRange();
    // Write pointer (with the newest stamp again, so both name one record), span checks,
    // alignment, header and the selected channels' ranges.
    [[nodiscard]] UploadStatus Prepare(const UploadChoice& choice);
    // Creates the file and fills it block by block. On any failure or stop the incomplete
    // file is removed; on success OutputPath() names it. stop is seen between blocks; an owner
    // that also interrupts the link's port (link.port.Interrupt()) ends the exchange in
    // progress at once, whatever its time-outs, and the run is still Stopped.
    [[nodiscard]] UploadStatus Run(const UploadTarget& target, const UploadProgress& progress,
                                   const std::atomic<bool>* stop);

    bool RangeKnown() const { return rangeKnown; }
    const RecorderRange& Range() const { return range; }
    const HistoryData& Header() const { return *header; }
    const UploadPlan& Plan() const { return plan; }
    std::uint32_t WritePointer() const { return writePointer; }
    const std::string& OutputPath() const { return outputPath; }

  private:
    [[nodiscard]] int ReadNewestPair();
    [[nodiscard]] int ReadChannelRange(int channel);
    [[nodiscard]] int ReadBlock(int channel, std::uint32_t index, std::uint8_t* block);

    CRecorderLink& link;
    int modelIndex;
    RecorderRange range;
    bool rangeKnown = false;
    std::uint32_t writePointer = 0;
    UploadPlan plan;
    std::unique_ptr<HistoryData> header;
    std::string outputPath;
};

}  // namespace vardo
