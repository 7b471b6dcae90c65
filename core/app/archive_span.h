#pragma once
// A recorder's span opened from the archive, as the document holds it beside (never with) an
// open file: the store it reads, the recorder, the span asked for, the window the plot shows of
// it and the envelope of that window. The curve view draws the envelope; the list, statistics
// and export walk the same store over the same span.

#include <memory>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "archive/piece_cache.h"
#include "archive/span_walk.h"
#include "curves/envelope.h"
#include "curves/span_navigation.h"

namespace vardo {

class ArchiveSpan {
  public:
    // Takes the store and reads the recorder's configurations; the window shows the whole span.
    [[nodiscard]] ArchiveStatus Open(std::unique_ptr<ArchiveStore> store,
                                     const RecorderSummary& recorder, VTime from, VTime to);
    // The envelope of the window in columns columns, with whatever was added since the last.
    [[nodiscard]] ArchiveStatus BuildWindow(int columns);

    ArchiveStore& Store() { return *store_; }
    const RecorderSummary& Recorder() const { return recorder_; }
    const SpanConfigs& Configs() const { return configs_; }
    SpanWindow All() const { return all_; }
    // The longest recording interval among the recorder's configurations: a wider step between
    // two records is a gap.
    VTime MaxStep() const { return maxStep_; }
    VTime MinStep() const { return minStep_; }
    // Channel ch's range in the newest configuration that has it, for the percent scale.
    void ChannelRange(int ch, float& low, float& high) const;

    SpanWindow window;
    Envelope envelope;
    // Where the store is ("sqlite:PATH" or a server's URI), for a worker that needs a connection
    // of its own; empty: where the settings say.
    std::string url;

  private:
    [[nodiscard]] ArchiveStatus ReadConfigs();

    std::unique_ptr<ArchiveStore> store_;
    RecorderSummary recorder_;
    SpanConfigs configs_;
    SpanWindow all_;
    VTime maxStep_ = 1;
    VTime minStep_ = 1;
    PieceCache pieces_;
    std::int64_t lastAdd_ = 0;
};

// "SITE/01@ZT772" or "01@ZT772": the recorder as the header, the status bar and the dialog name it.
std::string RecorderName(const RecorderKey& key);
// The recorder and the span, for the header line and the status bar.
std::string SpanTitle(const RecorderKey& key, VTime from, VTime to);

// The adds that brought the recorder's records, in the order they were made.
std::vector<SourceInfo> RecorderSources(const std::vector<SourceInfo>& all, std::int64_t recorder);
// How an add came, as the dialog names it; a name this program does not know stays as stored.
std::string SourceHowText(const std::string& how);

// The span picker's shortcuts, counted back from the recorder's newest record and never before
// its first: the last day, week, month (30 days), or all of it.
enum class SpanShortcut { Day, Week, Month, All };
SpanWindow ShortcutSpan(SpanShortcut which, VTime first, VTime last);

// A coverage bar width pixels wide over [from, to]: the runs [start, end] of pixels whose time
// holds records, from the envelope of that many columns.
struct CoverageRun {
    int start = 0;
    int end = 0;
};
std::vector<CoverageRun> CoverageRuns(const Envelope& e);

}  // namespace vardo
