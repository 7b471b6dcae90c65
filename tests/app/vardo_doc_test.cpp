#include "app/vardo_doc.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "../support/history_file_builder.h"
#include "base/texts.h"
#include "settings/ini_file.h"
#include "settings/setup_ini.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::FileSpec;
using testing::TempDir;

struct HintLog : DocumentView {
    std::vector<int> hints;
    void OnDocumentUpdate(int hint) override { hints.push_back(hint); }
};

struct DocFixture {
    TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path()};
    HintLog view;
    DocFixture() { doc.AddView(&view); }

    std::string Put(const std::string& name, const FileSpec& spec = {}) {
        const std::string path = home / name;
        EXPECT_TRUE(testing::WriteBytes(path, BuildFile(spec)));
        return path;
    }
    std::string Setting(const char* section, const char* key) const {
        return IniFile(doc.settingsPath()).GetString(section, key, "<none>", 4096);
    }
};

TEST(CVardoDoc, HomeDefaultsToTheModuleDirectory) {
    RecordingReporter reporter;
    TempDir home;
    setenv("VARDO_HOME", home.path().c_str(), 1);
    CVardoDoc doc(reporter);
    unsetenv("VARDO_HOME");
    EXPECT_EQ(doc.home(), home.path() + "/");
    EXPECT_EQ(doc.settingsPath(), home.path() + "/SetUp.ini");
    EXPECT_EQ(doc.dataDirectory(), home.path() + "/Data");
}

TEST(CVardoDoc, ReopenLastFileLengthAndExtensionRule) {
    struct Case {
        const char* lastFile;  // relative ones name nothing on disk
        const char* ext;       // nullptr: no Ext setting
        bool kept;             // LastFile survives: the name passed the rule
    };
    const Case cases[] = {
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
        {"", nullptr, false},
    };
    for (const Case& c : cases) {
        DocFixture f;
        IniFile ini(f.doc.settingsPath());
        ini.WriteString("FileSet", "LastFile", c.lastFile);
        if (c.ext != nullptr) ini.WriteString("VarParams", "Ext", c.ext);
        EXPECT_EQ(f.doc.ReopenLastFile(), 0) << c.lastFile;
        EXPECT_EQ(f.doc.dataValid, 0);
        EXPECT_EQ(f.Setting("FileSet", "LastFile"), c.kept ? c.lastFile : "") << c.lastFile;
        EXPECT_EQ(f.doc.filePath, c.kept ? c.lastFile : "") << c.lastFile;
        EXPECT_TRUE(f.reporter.entries.empty());
    }
}

TEST(CVardoDoc, OpenPathOpensAndNotifies) {
    DocFixture f;
    std::string shown;
    f.doc.onFileShown = [&](const std::string& p) { shown = p; };
    FileSpec spec;
    spec.channelCount = 12;
    spec.present.assign(12, 1);
    spec.hasOldestByte = 0;
    spec.newestSlot = 10;
    const std::string path = f.Put("08@2004-05-06_07-08-09.vd", spec);
    EXPECT_EQ(f.doc.OpenPath(path), kHintOpened);
    EXPECT_EQ(f.view.hints, std::vector<int>{kHintOpened});
    EXPECT_EQ(f.doc.dataValid, 1);
    EXPECT_EQ(f.doc.filePath, path);
    EXPECT_EQ(shown, path);
    EXPECT_EQ(f.Setting("FileSet", "LastFile"), path);
    EXPECT_EQ(f.doc.history.totalRecords, 131072);
    EXPECT_EQ(f.doc.history.oldestIndex, 11u);
    EXPECT_EQ(f.doc.history.windowStart, 0);
    EXPECT_EQ(f.doc.history.windowStep, 1);
    // the channel count reaches the display settings, which are saved and reloaded
    EXPECT_EQ(f.doc.displaySettings.Chnls, 12);
    EXPECT_EQ(f.Setting("ViewSet", "Chnls"), "12");
    EXPECT_EQ(f.doc.displaySettings.channelColors.size(), 12u);
    EXPECT_EQ(f.doc.displaySettings.layoutDirty, 1);
    EXPECT_EQ(f.doc.BuildWindow(), 1);
    EXPECT_EQ(f.doc.history.windowCount, 1200);
    EXPECT_TRUE(f.reporter.entries.empty());

    // a second file replaces the first without a close in between
    FileSpec small;
    const std::string second = f.Put("08@2004-05-06_07-08-10.vd", small);
    EXPECT_EQ(f.doc.OpenPath(second), kHintOpened);
    EXPECT_EQ(f.doc.history.totalRecords, 1);
    EXPECT_EQ(f.doc.history.viewSize, 256u + 3 * 131072);
}

TEST(CVardoDoc, RefusedFilesAreReportedAndForgotten) {
    struct Case {
        const char* what;
        std::function<void(FileSpec&)> spec;
        const char* message;
    };
    const Case cases[] = {
        {"model ZZ330", [](FileSpec& s) { s.model = "ZZ330"; }, texts::kUnknownFormat},
        {"newest year 100", [](FileSpec& s) { s.newest[0] = 100; }, texts::kFileDamaged},
        {"oldest invalid", [](FileSpec& s) { s.oldest[1] = 0; }, texts::kFileDamaged},
        {"13 channels", [](FileSpec& s) { s.channelCount = 13; }, texts::kFileDamaged},
        {"interval code 9", [](FileSpec& s) { s.intervalCode = 9; }, texts::kFileDamaged},
        {"slot past the ring", [](FileSpec& s) { s.newestSlot = 131072; }, texts::kFileDamaged},
        {"blocks missing", [](FileSpec& s) { s.capacity = 1000; }, texts::kFileDamaged},
    };
    for (const Case& c : cases) {
        DocFixture f;
        FileSpec spec;
        c.spec(spec);
        const std::string path = f.Put("08@2004-05-06_07-08-09.vd", spec);
        EXPECT_EQ(f.doc.OpenPath(path), kHintFailed) << c.what;
        EXPECT_EQ(f.view.hints, std::vector<int>{kHintFailed}) << c.what;
        ASSERT_EQ(f.reporter.entries.size(), 1u) << c.what;
        EXPECT_EQ(f.reporter.entries[0].text, c.message) << c.what;
        EXPECT_EQ(f.reporter.entries[0].icon, MessageIcon::Error);
        EXPECT_EQ(f.doc.dataValid, 0);
        EXPECT_EQ(f.doc.filePath, "");
        EXPECT_EQ(f.doc.history.view, nullptr);
        EXPECT_EQ(f.doc.history.hFile, -1);
        EXPECT_EQ(f.Setting("FileSet", "LastFile"), "") << c.what;
        // a refused file leaves the display settings alone
        EXPECT_EQ(f.Setting("ViewSet", "Chnls"), "8") << c.what;
    }

    // a file that cannot be opened: no message, LastFile stays for the next start
    DocFixture f;
    const std::string missing = f.home / "08@2004-05-06_07-08-09.vd";
    EXPECT_EQ(f.doc.OpenPath(missing), kHintFailed);
    EXPECT_TRUE(f.reporter.entries.empty());
    EXPECT_EQ(f.Setting("FileSet", "LastFile"), missing);
}

TEST(CVardoDoc, OpenCommandNotifiesOnlyOnSuccess) {
    DocFixture f;
    const std::string good = f.Put("08@2004-05-06_07-08-09.vd");
    EXPECT_EQ(f.doc.OpenChosenPath(good), 1);
    EXPECT_EQ(f.view.hints, std::vector<int>{kHintOpened});
    FileSpec bad;
    bad.model = "XX330";
    const std::string broken = f.Put("08@2004-05-06_07-08-19.vd", bad);
    EXPECT_EQ(f.doc.OpenChosenPath(broken), 0);
    EXPECT_EQ(f.view.hints, std::vector<int>{kHintOpened});
    EXPECT_EQ(f.doc.dataValid, 0);
    EXPECT_EQ(f.doc.history.view, nullptr);
}

TEST(CVardoDoc, NothingOpensWhileAcquiring) {
    DocFixture f;
    const std::string good = f.Put("08@2004-05-06_07-08-09.vd");
    f.doc.history.acquiring = 1;
    f.doc.filePath = texts::kRealtimeCurve;
    EXPECT_EQ(f.doc.OpenPath(good), 0);
    EXPECT_EQ(f.doc.OpenChosenPath(good), 0);
    EXPECT_TRUE(f.view.hints.empty());
    EXPECT_EQ(f.doc.filePath, texts::kRealtimeCurve);
}

TEST(CVardoDoc, CommandLineFileOpensAtTheNextReopen) {
    DocFixture f;
    const std::string good = f.Put("08@2004-05-06_07-08-09.vd");
    EXPECT_EQ(f.doc.OnOpenDocument(f.home / "absent.vd"), 0);
    EXPECT_EQ(f.Setting("FileSet", "LastFile"), "<none>");
    EXPECT_EQ(f.doc.OnOpenDocument(good), 1);
    EXPECT_EQ(f.doc.dataValid, 0);
    EXPECT_EQ(f.Setting("FileSet", "LastFile"), good);
    EXPECT_EQ(f.doc.ReopenLastFile(), 1);
    EXPECT_EQ(f.doc.dataValid, 1);
}

TEST(CVardoDoc, CloseReleasesAndResets) {
    DocFixture f;
    ASSERT_EQ(f.doc.OpenPath(f.Put("08@2004-05-06_07-08-09.vd")), kHintOpened);
    f.doc.BuildWindow();
    f.doc.history.channelTags.fill(3);
    f.doc.displaySettings.scrollOffset = 40;
    f.doc.displaySettings.pixelsPerPoint = 4;
    f.doc.CloseHistoryFile();
    EXPECT_EQ(f.doc.dataValid, 0);
    EXPECT_EQ(f.doc.filePath, "");
    EXPECT_EQ(f.doc.history.view, nullptr);
    EXPECT_EQ(f.doc.history.hFile, -1);
    EXPECT_EQ(f.doc.history.totalRecords, kClosedTotalRecords);
    EXPECT_EQ(f.doc.history.newestTime, 0);
    EXPECT_EQ(f.doc.history.oldestTime, 0);
    EXPECT_EQ(WindowByte(f.doc.history, 0, 0), 0);
    EXPECT_EQ(f.doc.history.channelTags[0], 0);
    EXPECT_EQ(f.doc.displaySettings.scrollOffset, 0);
    EXPECT_EQ(f.doc.displaySettings.pixelsPerPoint, 1);
    // the model names and the extension are in the settings file after a close
    EXPECT_EQ(f.Setting("VarParams", "Ext"), "vd");
    EXPECT_EQ(f.Setting("VarParams", "Type4"), "ZT550_12通道");
    EXPECT_EQ(f.Setting("VarParams", "Type10"), "");
    // LastFile is kept: it reopens at the next start
    EXPECT_NE(f.Setting("FileSet", "LastFile"), "");
}

TEST(CVardoDoc, ViewsMayLeaveWhileNotified) {
    DocFixture f;
    struct Leaving : DocumentView {
        CVardoDoc* doc = nullptr;
        int calls = 0;
        void OnDocumentUpdate(int) override {
            ++calls;
            doc->RemoveView(this);
        }
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
