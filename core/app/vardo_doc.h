#pragma once
// The one document: owner of the open history file, its display window, the display and
// communication settings. Views observe it; it tells them when a file opened (hint 1) or an
// open failed (hint 2).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/archive_span.h"
#include "base/reporter.h"
#include "history/history_data.h"
#include "history/history_writer.h"
#include "realtime/realtime_acquisition.h"
#include "settings/comm_settings.h"
#include "settings/display_settings.h"

namespace vardo {

inline constexpr int kHintOpened = 1;
inline constexpr int kHintFailed = 2;

enum class HistoryOpen { Ok, OpenFailed, UnknownFormat, Damaged };

// The one way a history file is read, by the document and by every command that only reads:
// loads the file at path into h and decodes its header. It reads and writes no settings and
// tells no one; HistoryOpenMessage gives the system's text for a refusal. Unless OpenFailed, h
// holds the file until ReleaseHistoryFile.
HistoryOpen LoadHistoryFile(const std::string& path, HistoryData& h);
const char* HistoryOpenMessage(HistoryOpen result);

class DocumentView {
  public:
    virtual ~DocumentView() = default;
    virtual void OnDocumentUpdate(int hint) = 0;
};

class CVardoDoc {
  public:
    // home: the directory with SetUp.ini and Data/ (ModuleDirectory() when empty).
    explicit CVardoDoc(Reporter& reporter, std::string home = {});
    ~CVardoDoc();
    CVardoDoc(const CVardoDoc&) = delete;
    CVardoDoc& operator=(const CVardoDoc&) = delete;

    int OpenHistoryFile();
    int ReopenLastFile();
    void CloseHistoryFile();
    // Rebuilds the display window from the open file; the live record has no file, its window is
    // the data and stays as acquisition left it.
    int BuildWindow();
    // Makes path the current file and LastFile; notifies the views. Returns the hint sent, or 0
    // without doing anything while acquisition runs (it writes into the same record).
    int OpenPath(const std::string& path);
    // The open command after its dialog: returns 1 and notifies with hint 1 when it opened,
    // else 0 with hint 2; refused (0, no hint) while acquisition runs.
    int OpenChosenPath(const std::string& path);
    // Command-line entry: remembers the path; the next ReopenLastFile opens it.
    int OnOpenDocument(const std::string& path);

    // A recorder's span from the archive in place of the file: the file is closed (LastFile
    // stays, so the next start shows it again) and the views are told with hint 1. Returns 0
    // with the archive's message told when the span cannot be read, and while acquisition runs.
    // url is where store is, for workers that open their own connection.
    int OpenSpan(std::unique_ptr<ArchiveStore> store, const RecorderSummary& recorder, VTime from,
                 VTime to, const std::string& url = {});
    // Where the open span's archive is, for a worker's own connection.
    std::string SpanUrl() const;
    // A view that leaves closes the file, as the views always did; an open span stays for the
    // next view, since the user picked it from the archive and cannot reopen it from LastFile.
    void LeaveView();
    // A file or a span is on screen.
    bool ShowsCurves() const { return dataValid != 0 || span != nullptr; }

    // Real-time acquisition into `history`, with the settings SetUp.ini holds now. Start tells
    // the cause of a failure (the port taken, the file not made) and leaves the caller to say
    // that the start failed; on success the record shows "实时曲线".
    StartStatus Start(const StartProgress& progress = nullptr);
    // Start in the halves of the acquisition's, for the interface: the settings read now (on
    // the owner's thread), the acquisition's reads anywhere, then FinishStart with what they
    // returned. `starting` is set from the first to the last and keeps away every command that
    // would touch the record meanwhile.
    AcquisitionSettings PrepareStart();
    StartStatus FinishStart(StartStatus read, const StartProgress& progress = nullptr);
    // Acquiring, or starting to.
    bool AcquisitionBusy() const { return history.acquiring != 0 || starting; }
    // Takes every sample due by now; returns how many. A failed write while saving is told once.
    int Tick(SteadyClock::time_point now);
    // Stops the worker, finishes the saved file and closes the port.
    void Stop();

    void AddView(DocumentView* view);
    void RemoveView(DocumentView* view);
    void UpdateAllViews(int hint);

    // Called with filePath after a file opened, and with an empty path once no file is shown (the
    // status bar's pane 2).
    std::function<void(const std::string&)> onFileShown;

    const std::string& home() const { return home_; }
    std::string settingsPath() const;
    // At the program's start: a settings file too large to be read is ignored, and the user is
    // told so rather than finding every setting back at its default without a word.
    void TellOversizedSettings();
    std::string dataDirectory() const;
    Reporter& reporter() { return reporter_; }
    // Settings are saved as they change (every panel click); a settings file that cannot be
    // written is told once, not at every click, and the program goes on with what is shown.
    void NoteSettingsSaved(int written);

    std::string filePath;
    int dataValid = 0;
    std::array<std::uint8_t, 256> liveValues{};
    DisplaySettings displaySettings;
    CommSettings commSettings;
    HistoryData history;
    // The open span, when the curves show one instead of a file.
    std::unique_ptr<ArchiveSpan> span;
    bool starting = false;
    // After history: it writes into the record until it is destroyed.
    CRealtimeAcquisition acquisition;

  private:
    void TellSaveFailure();

    // LastFile := path, as text that leads back to the same bytes (PathText).
    void RememberFile(const std::string& path);
    void RememberLastFile(const std::string& text);

    Reporter& reporter_;
    bool settingsFailureTold_ = false;
    // LastFile as this run set it, while the settings file refuses it.
    std::optional<std::string> unsavedLastFile_;
    std::string home_;
    std::vector<DocumentView*> views_;
    bool saveFailureTold_ = false;
};

}  // namespace vardo
