#include "app/vardo_doc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../support/history_file_builder.h"
#include "base/texts.h"
#include "settings/ini_file.h"
#include "settings/setup_ini.h"

namespace vardo {
namespace {

using testing::FileLayout;

struct HintLog : DocumentView {
    std::vector<int> hints;
    void OnDocumentUpdate(int hint) override { hints.push_back(hint); }
};

struct DocFixture {
    testing::TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path()};
    HintLog view;
    DocFixture() { doc.AddView(&view); }

    std::string Put(const std::string& name, const FileLayout& layout = {}) {
        EXPECT_TRUE(testing::WriteBytes(home / name, testing::BuildFile(layout)));
        return home / name;
    }
    std::string Setting(const char* section, const char* key) const {
        return IniFile(doc.settingsPath()).GetString(section, key, "<none>", 4096);
    }
};

TEST(CVardoDoc, HomeDefaultsToTheModuleDirectory) {
    RecordingReporter reporter;
    testing::TempDir home;
    setenv("VARDO_HOME", home.path().c_str(), 1);
    CVardoDoc doc(reporter);
    unsetenv("VARDO_HOME");
    EXPECT_EQ(doc.settingsPath(), home.path() + "/SetUp.ini");
    EXPECT_EQ(doc.dataDirectory(), home.path() + "/Data");
}

TEST(CVardoDoc, ReopenLastFileKeepsOnlyNamesOf19CharactersWithTheExtensionAtTheEnd) {
    const struct {
        const char* lastFile;  // a good file of that name lies in the working directory
        const char* ext;       // nullptr: no Ext setting
        bool kept;             // the name passed the rule: the file opens, LastFile survives
    } cases[] = {
        {"aaaaaaaaaaaaaaa.vd", nullptr, false},    // 18 characters
        {"aaaaaaaaaaaaaaaa.vd", nullptr, true},    // 19
        {"aaaaaaaaaaaaaaaa.VD", nullptr, false},   // the extension compares exactly
        {"aaaaaaaaaaaaaaaa.vdx", nullptr, true},   // "vd" within the last four
        {"aaaaaaaaaaaaaaavd.xy", nullptr, false},  // "vd" before the last four
        {"aaaaaaaaaaaaaaaa.dat", "dat", true},
        {"aaaaaaaaaaaaaaaa.abcde", "abcde", false},  // longer than four: never
        {"aaaaaaaaaaaaaaaaaaa", "", true},           // empty is in every name
        // characters, not bytes: 15 Chinese characters and ".vd" are 18
        {"历史文件历史文件历史文件历史文.vd", nullptr, false},
        {"历史文件历史文件历史文件历史文件.vd", nullptr, true},
        {"aaaaaaaaaaaaaaaa历史vd", nullptr, true},
    };
    const std::filesystem::path cwd = std::filesystem::current_path();
    for (const auto& c : cases) {
        DocFixture f;
        f.Put(c.lastFile);
        std::filesystem::current_path(f.home.path());
        IniFile ini(f.doc.settingsPath());
        ASSERT_EQ(ini.WriteString("FileSet", "LastFile", c.lastFile), 1);
        if (c.ext != nullptr) ASSERT_EQ(ini.WriteString("VarParams", "Ext", c.ext), 1);
        EXPECT_EQ(f.doc.ReopenLastFile(), c.kept ? 1 : 0) << c.lastFile;
        std::filesystem::current_path(cwd);
        EXPECT_EQ(f.Setting("FileSet", "LastFile"), c.kept ? c.lastFile : "") << c.lastFile;
        EXPECT_EQ(f.doc.filePath, c.kept ? c.lastFile : "") << c.lastFile;
        EXPECT_TRUE(f.reporter.entries.empty());
    }
}

TEST(CVardoDoc, OpenPathOpensNotifiesAndHandsTheChannelCountToTheDisplay) {
    DocFixture f;
    std::string shown;
    f.doc.onFileShown = [&](const std::string& p) { shown = p; };
    FileLayout layout;
    layout.channelCount = 12;
    layout.present.assign(12, 1);
    layout.hasOldestByte = 0;
    const std::string path = f.Put("08@2004-05-06_07-08-09.vd", layout);
    EXPECT_EQ(f.doc.OpenPath(path), kHintOpened);
    EXPECT_EQ(f.view.hints, std::vector<int>{kHintOpened});
    EXPECT_EQ(f.doc.dataValid, 1);
    EXPECT_EQ(shown, path);
    EXPECT_EQ(f.Setting("FileSet", "LastFile"), path);
    EXPECT_EQ(f.doc.history.totalRecords, 131072);
    EXPECT_EQ(f.Setting("ViewSet", "Chnls"), "12");
    EXPECT_EQ(f.doc.displaySettings.channelColors.size(), 12u);
    // a second file replaces the first without a close in between
    EXPECT_EQ(f.doc.OpenPath(f.Put("08@2004-05-06_07-08-10.vd")), kHintOpened);
    EXPECT_EQ(f.doc.history.totalRecords, 1);
    EXPECT_TRUE(f.reporter.entries.empty());
}

TEST(CVardoDoc, RefusedFilesAreReportedAndUnopenableOnesForgottenSilently) {
    const std::pair<void (*)(FileLayout&), const char*> cases[] = {
        {[](FileLayout& s) { s.model = "ZZ330"; }, texts::kUnknownFormat},
        {[](FileLayout& s) { s.intervalCode = 9; }, texts::kFileDamaged},
        {[](FileLayout& s) { s.capacity = 1000; }, texts::kFileDamaged},  // blocks missing
    };
    for (auto [edit, message] : cases) {
        DocFixture f;
        FileLayout layout;
        edit(layout);
        EXPECT_EQ(f.doc.OpenPath(f.Put("08@2004-05-06_07-08-09.vd", layout)), kHintFailed);
        EXPECT_EQ(f.view.hints, std::vector<int>{kHintFailed});
        ASSERT_EQ(f.reporter.entries.size(), 1u) << message;
        EXPECT_EQ(f.reporter.entries[0].text, message);
        EXPECT_EQ(f.reporter.entries[0].icon, MessageIcon::Error);
        EXPECT_EQ(f.doc.dataValid, 0);
        EXPECT_EQ(f.doc.filePath, "");
        EXPECT_TRUE(f.doc.history.file.empty());
        EXPECT_EQ(f.Setting("FileSet", "LastFile"), "") << message;
        EXPECT_EQ(f.Setting("ViewSet", "Chnls"), "8") << "the display settings are left alone";
    }
    // a file that is not there is said to be missing, one that cannot be read is the
    // framework's to report; nothing names either once nothing shows it
    for (const auto& [name, message] :
         {std::pair<std::string, std::string>{"absent.vd", texts::kFileMissing},
          {"Data/folder@2004-05-06.vd", ""}}) {
        DocFixture f;
        std::filesystem::create_directories(f.home / "Data/folder@2004-05-06.vd");
        std::vector<std::string> shown;
        f.doc.onFileShown = [&](const std::string& p) { shown.push_back(p); };
        EXPECT_EQ(f.doc.OpenPath(f.home / name), kHintFailed);
        ASSERT_EQ(f.reporter.entries.size(), message.empty() ? 0u : 1u) << name;
        if (!message.empty()) EXPECT_EQ(f.reporter.entries[0].text, message);
        EXPECT_EQ(f.Setting("FileSet", "LastFile"), "");
        EXPECT_EQ(shown, std::vector<std::string>{""});
    }
}

TEST(CVardoDoc, CommandLineAndOpenCommandOpenOnlyWhenNotAcquiring) {
    DocFixture f;
    const std::string good = f.Put("08@2004-05-06_07-08-09.vd");
    // the command line's file is only remembered; the next reopen reads it
    EXPECT_EQ(f.doc.OnOpenDocument(f.home / "absent.vd"), 0);
    EXPECT_EQ(f.doc.OnOpenDocument(good), 1);
    EXPECT_EQ(f.doc.dataValid, 0);
    EXPECT_EQ(f.doc.ReopenLastFile(), 1);
    EXPECT_EQ(f.doc.filePath, good);
    // the open command closes the file it showed either way, and tells the views which way
    EXPECT_EQ(f.doc.OpenChosenPath(good), 1);
    FileLayout bad;
    bad.model = "XX330";
    EXPECT_EQ(f.doc.OpenChosenPath(f.Put("08@2004-05-06_07-08-19.vd", bad)), 0);
    EXPECT_EQ(f.view.hints, (std::vector<int>{kHintOpened, kHintFailed}));
    EXPECT_TRUE(f.doc.history.file.empty());

    f.doc.history.acquiring = 1;
    f.doc.filePath = texts::kRealtimeCurve;
    EXPECT_EQ(f.doc.OpenPath(good), 0);
    EXPECT_EQ(f.doc.OpenChosenPath(good), 0);
    EXPECT_EQ(f.view.hints.size(), 2u);
    EXPECT_EQ(f.doc.filePath, texts::kRealtimeCurve);
}

TEST(CVardoDoc, CloseReleasesResetsAndWritesTheModelNames) {
    DocFixture f;
    ASSERT_EQ(f.doc.OpenPath(f.Put("08@2004-05-06_07-08-09.vd")), kHintOpened);
    f.doc.BuildWindow();
    f.doc.displaySettings.scrollOffset = 40;
    f.doc.CloseHistoryFile();
    EXPECT_EQ(f.doc.dataValid, 0);
    EXPECT_EQ(f.doc.filePath, "");
    EXPECT_TRUE(f.doc.history.file.empty());
    EXPECT_EQ(f.doc.history.totalRecords, kClosedTotalRecords);
    EXPECT_EQ(WindowByte(f.doc.history, 0, 0), 0);
    EXPECT_EQ(f.doc.displaySettings.scrollOffset, 0);
    EXPECT_EQ(f.Setting("VarParams", "Type4"), "ZT550_12通道");
    EXPECT_EQ(f.Setting("VarParams", "Ext"), "vd");
    EXPECT_NE(f.Setting("FileSet", "LastFile"), "");  // it reopens at the next start
}

// The start of acquisition puts right what a killed save left, and says so; a settings file
// too large to read is told at the program's start.
TEST(CVardoDoc, StartRecoversLeftoversAndOversizedSettingsAreTold) {
    DocFixture f;
    std::filesystem::create_directory(f.home / "Data");
    f.Put("Data/08@1970-01-01_08-00-00.vd");
    f.doc.PrepareStart();
    f.doc.FinishStart(StartStatus::BadSettings);  // ends the start without a recorder
    ASSERT_EQ(f.reporter.entries.size(), 2u);
    EXPECT_EQ(f.reporter.entries[0].text,
              f.home / "Data/08@1970-01-01_08-00-00.vd: " + "中断的实时保存，已按最新记录改名为 " +
                  (f.home / "Data/08@2004-05-06_07-08-09.vd"));
    EXPECT_TRUE(std::filesystem::exists(f.home / "Data/08@2004-05-06_07-08-09.vd"));

    for (const std::size_t size : {ini::kMaxFileSize, ini::kMaxFileSize + 1}) {
        DocFixture g;
        ASSERT_TRUE(testing::WriteBytes(g.doc.settingsPath(), std::string(size, ';')));
        g.doc.TellOversizedSettings();
        ASSERT_EQ(g.reporter.entries.size(), size > ini::kMaxFileSize ? 1u : 0u) << size;
        if (size > ini::kMaxFileSize) {
            EXPECT_EQ(g.reporter.entries[0].text,
                      g.doc.settingsPath() + ": " + OversizedSettingsNotice(g.doc.settingsPath()));
            EXPECT_NE(g.reporter.entries[0].text.find("已忽略"), std::string::npos);
            EXPECT_EQ(g.reporter.entries[0].icon, MessageIcon::Warning);
        }
    }
}

// Every open saves the display settings: a settings file that cannot be written is told once,
// with why, and one told as oversized at the start is not told again.
TEST(CVardoDoc, SettingsThatCannotBeSavedAreToldOnce) {
    for (const bool oversized : {false, true}) {
        SCOPED_TRACE(oversized);
        DocFixture f;
        if (oversized) {
            ASSERT_TRUE(
                testing::WriteBytes(f.doc.settingsPath(), std::string(ini::kMaxFileSize + 1, ';')));
        } else {
            std::filesystem::create_directory(f.doc.settingsPath());
        }
        EXPECT_EQ(f.doc.OpenPath(f.Put("08@2004-05-06_07-08-09.vd")), kHintOpened);
        EXPECT_EQ(f.doc.OpenPath(f.Put("08@2004-05-06_07-08-10.vd")), kHintOpened);
        if (oversized) {
            EXPECT_TRUE(f.reporter.entries.empty());
            continue;
        }
        ASSERT_EQ(f.reporter.entries.size(), 1u);
        const std::string& path = f.doc.settingsPath();
        EXPECT_EQ(f.reporter.entries[0].text,
                  "无法写入设置文件 " + path + "，设置未保存。\n" + path + ": Is a directory");
        EXPECT_EQ(f.reporter.entries[0].icon, MessageIcon::Error);
    }
}

TEST(CVardoDoc, ViewsMayLeaveWhileNotified) {
    DocFixture f;
    struct Leaving : DocumentView {
        CVardoDoc* doc = nullptr;
        int calls = 0;
        void OnDocumentUpdate(int) override { ++calls, doc->RemoveView(this); }
    } leaving;
    leaving.doc = &f.doc;
    f.doc.AddView(&leaving);
    f.doc.AddView(&leaving);
    f.doc.UpdateAllViews(kHintOpened);
    f.doc.UpdateAllViews(kHintOpened);
    EXPECT_EQ(leaving.calls, 1);
    EXPECT_EQ(f.view.hints.size(), 2u);
}

}  // namespace
}  // namespace vardo
