// What a newcomer's first start does, end to end: a simulated recorder on a pseudo-terminal,
// an upload through vardo-cli into Data/, and Vardo opening that file on its curves.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "curves/curve_geometry.h"
#include "curves/vardo_view.h"
#include "support/cli_run.h"
#include "support/sim_process.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

TEST(StartPath, AnUploadFromTheSimulatorOpensOnTwelveCurvesWithTheNewestValuesInTheLegend) {
    testing::TempDir dir;
    const std::string home = dir.path() + "/";
    testing::SimProcess sim(
        {"--model", "3", "--channels", "12", "--newest", "2026-03-04 12:00:00", "--freeze"});
    ASSERT_FALSE(sim.device.empty());
    std::ofstream(home + "SetUp.ini")
        << "[Ports]\nCOM1=" << sim.device << "\n[ComSet]\nComPort=COM1\nJlyIndex=3\n";
    const testing::CliRun up =
        testing::RunCli(home, {"upload", "--from", "2026-03-04 11:40:00", "--to",
                               "2026-03-04 12:00:00", "--port", "COM1", "--model", "3"});
    ASSERT_EQ(up.status, 0) << up.err;
    const std::string path = up.out.substr(0, up.out.find('\n'));
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << up.out;

    RecordingReporter reporter;
    CVardoApp app(&reporter, home);
    ASSERT_TRUE(app.InitInstance({"vardo", path}));
    app.MainFrame()->resize(1200, 800);
    auto* view = dynamic_cast<CVardoView*>(app.MainFrame()->ActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(testing::WaitUntil([&] { return view->LaidOut(); }));
    EXPECT_TRUE(reporter.entries.empty());
    const CVardoDoc& doc = app.Document();
    ASSERT_EQ(doc.dataValid, 1);
    EXPECT_EQ(doc.displaySettings.Chnls, 12);
    EXPECT_GE(doc.history.windowCount, 119);  // about 20 minutes of 10 s records

    // The legend shows the newest record as the data list does.
    const testing::CliRun dump = testing::RunCli(home, {"dump", path});
    ASSERT_EQ(dump.status, 0) << dump.err;
    std::stringstream rows(dump.out);
    std::string newest, field;
    std::getline(rows, newest);  // the header line
    std::getline(rows, newest);
    std::vector<std::string> fields;
    for (std::stringstream in(newest); std::getline(in, field, '\t');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 14u) << newest;
    EXPECT_EQ(fields[1], FormatTime(doc.history.newestTime));
    int first = 0;
    const std::vector<LegendRow> legend =
        LegendRows(FrameOf(doc.displaySettings), 12, doc.history, first, view->upperRows, 0);
    ASSERT_EQ(legend.size(), 12u);
    for (int ch = 0; ch < 12; ++ch)
        EXPECT_EQ(legend[ch].hasValue ? legend[ch].value.text : "", fields[2 + ch]) << ch + 1;
}

}  // namespace
}  // namespace vardo
