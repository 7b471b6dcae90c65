#include "app/vardo_doc.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/archive_auto_add.h"
#include "archive/archive_location.h"
#include "archive/archive_store.h"
#include "base/file_refusal.h"
#include "base/path_text.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "base/unique_fd.h"
#include "history/history_loader.h"
#include "history/interrupted_save.h"
#include "link/serial_devices.h"
#include "settings/module_directory.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

// UTF-8 characters rather than bytes: a name written in Chinese is as long as it looks.
std::size_t CharacterCount(const std::string& s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string LastCharacters(const std::string& s, std::size_t count) {
    std::size_t pos = s.size();
    while (pos > 0 && count > 0) {
        --pos;
        if ((s[pos] & 0xC0) != 0x80) --count;
    }
    return s.substr(pos);
}

}  // namespace

CVardoDoc::CVardoDoc(Reporter& reporter, std::string home) : reporter_(reporter) {
    home_ = home.empty() ? ModuleDirectory() : std::move(home);
    if (home_.back() != '/') home_ += '/';
}

CVardoDoc::~CVardoDoc() {
    acquisition.Stop();
}

std::string CVardoDoc::settingsPath() const {
    return home_ + "SetUp.ini";
}

std::string CVardoDoc::dataDirectory() const {
    return home_ + "Data";
}

HistoryOpen LoadHistoryFile(const std::string& path, HistoryData& h) {
    if (!ReadHistoryFile(path, h)) return HistoryOpen::OpenFailed;
    switch (DecodeHistoryHeader(ByteSpan(h.file), h)) {
        case HeaderCheck::Ok:
            return HistoryOpen::Ok;
        case HeaderCheck::UnknownFormat:
            return HistoryOpen::UnknownFormat;
        case HeaderCheck::Damaged:
            break;
    }
    return HistoryOpen::Damaged;
}

const char* HistoryOpenMessage(HistoryOpen result) {
    switch (result) {
        case HistoryOpen::OpenFailed:
            return texts::kOpenFileFailed;
        case HistoryOpen::UnknownFormat:
            return texts::kUnknownFormat;
        case HistoryOpen::Damaged:
            return texts::kFileDamaged;
        case HistoryOpen::Ok:
            break;
    }
    return nullptr;
}

int CVardoDoc::OpenHistoryFile() {
    const HistoryOpen result = LoadHistoryFile(filePath, history);
    if (result == HistoryOpen::OpenFailed) {
        // The file shown until now went away (deleted, or its folder moved): said, so that the
        // window going blank has a reason. A file that is there but cannot be read is the
        // framework's to report, before the document.
        std::error_code ec;
        if (!std::filesystem::exists(filePath, ec) && !ec)
            reporter_.ShowMessage(texts::kFileMissing, MessageIcon::Error);
        return 0;
    }
    if (result != HistoryOpen::Ok) {
        reporter_.ShowMessage(HistoryOpenMessage(result), MessageIcon::Error);
        CloseHistoryFile();
        RememberLastFile("");
        return 0;
    }
    displaySettings.Chnls = history.channelCount;
    // Saving before reading keeps each channel's colour across files and gives channels new to
    // the settings file their defaults.
    NoteSettingsSaved(SaveDisplaySettings(settingsPath(), displaySettings));
    LoadDisplaySettings(settingsPath(), displaySettings);
    history.windowStart = 0;
    history.windowStep = 1;
    if (onFileShown) onFileShown(filePath);
    return 1;
}

int CVardoDoc::ReopenLastFile() {
    const std::string settings = settingsPath();
    LoadDisplaySettings(settings, displaySettings);
    displaySettings.pixelsPerPoint = 1;
    displaySettings.scrollOffset = 0;
    displaySettings.backColor = 0;
    displaySettings.gridColor = 64;
    displaySettings.gridWidth = 1;
    history.saveReal = ReadSaveReal(settings);
    history.windowStart = 0;
    const std::string lastFile = unsavedLastFile_ ? *unsavedLastFile_ : ReadLastFile(settings);
    dataValid = 0;
    span.reset();
    const std::string ext = ReadModelList(settings).ext;
    if (CharacterCount(lastFile) >= 19 &&
        LastCharacters(lastFile, 4).find(ext) != std::string::npos) {
        filePath = PathOnDisk(lastFile);
        dataValid = OpenHistoryFile();
    }
    if (dataValid == 0) {
        // Nothing is shown now: the status bar and the next start must not name the file.
        filePath.clear();
        RememberLastFile("");
        if (onFileShown) onFileShown(filePath);
    }
    return dataValid;
}

void CVardoDoc::CloseHistoryFile() {
    const std::string settings = settingsPath();
    NoteSettingsSaved(SaveDisplaySettings(settings, displaySettings) &&
                      WriteModelList(settings, ReadModelList(settings)));
    if (!history.file.empty()) {
        ReleaseHistoryFile(history);
        std::fill(history.window.begin(), history.window.end(), 0);
        history.channelTags.fill(0);
        history.oldestTime = 0;
        history.newestTime = 0;
        history.windowStart = 0;
        history.totalRecords = kClosedTotalRecords;
        displaySettings.scrollOffset = 0;
        displaySettings.pixelsPerPoint = 1;
    }
    filePath.clear();
    dataValid = 0;
    span.reset();
    if (onFileShown) onFileShown(filePath);
}

std::string CVardoDoc::SpanUrl() const {
    if (span && !span->url.empty()) return span->url;
    return ResolveArchiveUrl(home(), settingsPath(), {});
}

void CVardoDoc::LeaveView() {
    std::unique_ptr<ArchiveSpan> kept = std::move(span);
    CloseHistoryFile();
    span = std::move(kept);
    if (span && onFileShown)
        onFileShown(SpanTitle(span->Recorder().key, span->All().from, span->All().to));
}

int CVardoDoc::BuildWindow() {
    if (history.file.empty() && history.sampleWidth == 2) return 1;
    return vardo::BuildWindow(history);
}

void CVardoDoc::TellOversizedSettings() {
    const std::string path = settingsPath();
    const std::string notice = OversizedSettingsNotice(path);
    if (!notice.empty()) reporter_.ShowMessage(path + ": " + notice, MessageIcon::Warning);
}

void CVardoDoc::NoteSettingsSaved(int written) {
    const std::string path = settingsPath();
    // An oversized file was told at the start, with the news that changes are not saved.
    if (written != 0 || settingsFailureTold_ || !OversizedSettingsNotice(path).empty()) return;
    settingsFailureTold_ = true;
    std::vector<char> text(std::char_traits<char>::length(texts::kSettingsWriteFailed) +
                           path.size() + 1);
    std::snprintf(text.data(), text.size(), texts::kSettingsWriteFailed, path.c_str());
    reporter_.ShowMessage(WithReason(text.data(), path, FileCreateRefusalReason(path)),
                          MessageIcon::Error);
}

StartStatus CVardoDoc::Start(const StartProgress& progress) {
    acquisition.Stop();
    const AcquisitionSettings s = PrepareStart();
    return FinishStart(acquisition.ReadConfiguration(s, progress), progress);
}

AcquisitionSettings CVardoDoc::PrepareStart() {
    const std::string settings = settingsPath();
    AcquisitionSettings s;
    LoadCommSettings(settings, s.comm);
    commSettings = s.comm;
    s.settingsPath = settings;
    s.save = ReadSaveReal(settings) != 0;
    s.extension = ReadModelList(settings).ext;
    s.home = home_;
    for (const LeftoverSave& leftover : RecoverInterruptedSaves(home_)) {
        reporter_.ShowMessage(LeftoverSaveMessage(leftover),
                              leftover.outcome == LeftoverSave::Outcome::RenameFailed
                                  ? MessageIcon::Warning
                                  : MessageIcon::Information);
    }
    saveFailureTold_ = false;
    starting = true;
    return s;
}

StartStatus CVardoDoc::FinishStart(StartStatus read, const StartProgress& progress) {
    starting = false;
    const StartStatus status = acquisition.Launch(read, history, progress);
    switch (status) {
        case StartStatus::Started:
            displaySettings.Chnls = history.channelCount;
            dataValid = 1;
            span.reset();
            filePath = texts::kRealtimeCurve;
            if (onFileShown) onFileShown(filePath);
            return status;
        case StartStatus::PortBusy: {
            // Missing, not a terminal, held by another program, or not this user's to open.
            const std::string device = PortDevice(settingsPath(), commSettings.portName);
            reporter_.ShowMessage(
                WithPermissionHint(WithReason(texts::kPortBusy, device, PortRefusalReason(device)),
                                   device, true, kPortGroup),
                MessageIcon::Information);
            return status;
        }
        case StartStatus::FileFailed:
            reporter_.ShowMessage(WithReason(texts::kFileCreateFailed, dataDirectory(),
                                             FolderWriteRefusalReason(dataDirectory())),
                                  MessageIcon::Error);
            break;
        case StartStatus::BadSettings:
            reporter_.ShowMessage(texts::kAcquisitionSettingsBad, MessageIcon::Information);
            return status;
        case StartStatus::CommFailed:
        case StartStatus::Cancelled:
            break;
    }
    // The record was cleared for the recorder that then failed: nothing of it is data.
    dataValid = 0;
    return status;
}

int CVardoDoc::Tick(SteadyClock::time_point now) {
    const int taken = acquisition.Tick(now);
    if (acquisition.SaveFailed()) TellSaveFailure();
    return taken;
}

void CVardoDoc::Stop() {
    const bool running = history.acquiring != 0;
    acquisition.Stop();
    if (acquisition.SaveFailed()) TellSaveFailure();
    if (!running) return;
    // The saved files are complete only now: into the archive with them.
    const std::string device = PortDevice(settingsPath(), commSettings.portName);
    for (const std::string& path : acquisition.SavedFiles()) {
        AddMadeFileAndTell(reporter_, home_, path, kSourceLive, device);
    }
}

void CVardoDoc::TellSaveFailure() {
    if (saveFailureTold_) return;
    // Told before the box shows: ticks go on while it is up, and must not show it again.
    saveFailureTold_ = true;
    // A new file that could not be made after a full one leaves the full one as the last kept.
    std::string kept = acquisition.SaveFailedPath();
    if (kept.empty() && !acquisition.SavedFiles().empty()) kept = acquisition.SavedFiles().back();
    char text[1024];
    std::snprintf(text, sizeof text, texts::kSaveRealFailed, kept.c_str());
    reporter_.ShowMessage(text, MessageIcon::Error);
}

int CVardoDoc::OpenPath(const std::string& path) {
    // Acquisition writes into the same record: opening another file now would pull it away.
    if (AcquisitionBusy()) return 0;
    filePath = path;
    RememberFile(path);
    const int hint = ReopenLastFile() ? kHintOpened : kHintFailed;
    UpdateAllViews(hint);
    return hint;
}

int CVardoDoc::OpenChosenPath(const std::string& path) {
    if (AcquisitionBusy()) return 0;
    CloseHistoryFile();
    filePath = path;
    RememberFile(path);
    // The previous file is closed either way: the views must drop what they drew of it.
    if (!ReopenLastFile()) {
        UpdateAllViews(kHintFailed);
        return 0;
    }
    UpdateAllViews(kHintOpened);
    return 1;
}

int CVardoDoc::OpenSpan(std::unique_ptr<ArchiveStore> store, const RecorderSummary& recorder,
                        VTime from, VTime to, const std::string& url) {
    if (AcquisitionBusy()) return 0;
    auto opened = std::make_unique<ArchiveSpan>();
    opened->url = url;
    if (ArchiveStatus s = opened->Open(std::move(store), recorder, from, to);
        s != ArchiveStatus::Ok) {
        reporter_.ShowMessage(ArchiveStatusMessage(s), MessageIcon::Error);
        return 0;
    }
    CloseHistoryFile();
    span = std::move(opened);
    displaySettings.Chnls = recorder.channelCount;
    NoteSettingsSaved(SaveDisplaySettings(settingsPath(), displaySettings));
    LoadDisplaySettings(settingsPath(), displaySettings);
    // A span's columns are cut by time; the file's point width has no meaning here.
    displaySettings.pixelsPerPoint = 1;
    if (onFileShown) onFileShown(SpanTitle(recorder.key, from, to));
    UpdateAllViews(kHintOpened);
    return 1;
}

int CVardoDoc::OnOpenDocument(const std::string& path) {
    // The framework's own open only checks that the file can be read; the file is read by the
    // next ReopenLastFile.
    std::vector<std::uint8_t> none;
    const ReadStatus read = ReadRegularFile(path, 0, none);
    if (read != ReadStatus::Ok && read != ReadStatus::Longer) return 0;
    filePath = path;
    RememberFile(path);
    return 1;
}

void CVardoDoc::RememberFile(const std::string& path) {
    RememberLastFile(PathText(path));
}

void CVardoDoc::RememberLastFile(const std::string& text) {
    // The open goes through LastFile; when it cannot be saved, this run still opens the file.
    if (WriteLastFile(settingsPath(), text)) {
        unsavedLastFile_.reset();
        return;
    }
    unsavedLastFile_ = text;
    NoteSettingsSaved(0);
}

void CVardoDoc::AddView(DocumentView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CVardoDoc::RemoveView(DocumentView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CVardoDoc::UpdateAllViews(int hint) {
    // A view may remove itself while being told.
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* view : views) {
        if (std::find(views_.begin(), views_.end(), view) != views_.end()) {
            view->OnDocumentUpdate(hint);
        }
    }
}

}  // namespace vardo
