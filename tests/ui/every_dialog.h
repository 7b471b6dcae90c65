#pragma once
// Every dialog of the program, made the way its command makes it, over a home with one history
// file: the tests that must visit each window (clicks, language) share this one list.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/about_dlg.h"
#include "app/code_conv_dlg.h"
#include "app/help_window.h"
#include "app/vardo_doc.h"
#include "cfcard/cf_upload_dlg.h"
#include "curves/set_panel.h"
#include "datalist/excel_export_dlg.h"
#include "datalist/pos_query_dlg.h"
#include "datalist/range_set_dlg.h"
#include "datalist/stat_dlg.h"
#include "history/file_browse_dlg.h"
#include "link/comm_set_dlg.h"
#include "link/serial_upload_dlg.h"
#include "ui_fixture.h"

namespace vardo {

struct DialogMaker {
    const char* name;
    std::function<QWidget*()> make;
    int controls;  // at least this many take a click
};

struct EveryDialogTest : ::testing::Test {
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        std::filesystem::create_directories(home / "dev");
        // The file browser lists one file, with its icon and summary.
        testing::WriteLevelFile(home / "Data/08@2026-03-04_12-00-00.vd", 2, 10,
                                [](int, std::uint32_t) { return std::uint8_t{7}; });
        // The serial upload reads the recorder as it opens; no port answers here.
        std::ofstream(home / "SetUp.ini") << "[Ports]\nCOM1=" << home / "no-port"
                                          << "\n";
        settings.Chnls = 3;
        for (int i = 0; i < settings.Chnls; ++i) {
            settings.channelColors.push_back(DefaultChannelColor(i));
            settings.channelChecks.push_back(1);
        }
    }

    std::vector<DialogMaker> Dialogs() {
        const std::string guide = std::string(VARDO_SOURCE_DIR) + "/doc/guide/index.html";
        return {
            {"range", [this] { return new CRangeSetDlg(reporter); }, 7},
            {"export", [this] { return new CExcelExportDlg(doc); }, 7},
            {"serial-upload", [this] { return new CSerialUploadDlg(doc); }, 7},
            {"position-query", [this] { return new CPosQueryDlg(reporter); }, 4},
            {"statistics", [] { return new CStatDlg(); }, 1},
            {"comm-settings", [this] { return new CCommSetDlg(doc, nullptr, home / "dev"); }, 5},
            {"card-upload",
             [this] {
                 auto* d = new CCfUploadDlg(doc);
                 d->findDrives = [] { return std::vector<std::string>{"/dev/sdz"}; };
                 return d;
             },
             4},
            {"file-browser",
             [this] {
                 auto* d = new CFileBrowseDlg(doc);
                 d->files->setCurrentRow(0);
                 return d;
             },
             5},
            {"code-lookup", [] { return new CCodeConvDlg(); }, 2},
            {"about", [] { return new CAboutDlg(); }, 1},
            {"settings-panel",
             [this] {
                 auto* panel = new CSetPanel(reporter, nullptr);
                 panel->LoadFrom(settings);
                 return panel;
             },
             7},
            {"help",
             [guide] {
                 return new CHelpWindow(QUrl::fromLocalFile(QString::fromStdString(guide)));
             },
             1},
        };
    }

    testing::TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path() + "/"};
    DisplaySettings settings;
};

}  // namespace vardo
