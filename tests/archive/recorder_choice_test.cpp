#include "archive/recorder_choice.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

TEST(RecorderChoice, ParsesSiteAddressAndModelAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool ok;
        RecorderKey want;
    } cases[] = {
        {"5", true, {"", 5, ""}},
        {"05", true, {"", 5, ""}},
        {"255:ZT772", true, {"", 255, "ZT772"}},
        {"plant/a/07", true, {"plant/a", 7, ""}},
        {"北厂/12:ZT330", true, {"北厂", 12, "ZT330"}},
        {"/3", true, {"", 3, ""}},
        {"256", false, {}},
        {"0005", false, {}},
        {"", false, {}},
        {"site/", false, {}},
        {"5:", false, {}},
        {"-1", false, {}},
        {"5 ", false, {}},
        {"a:5", false, {}},
    };
    for (const Case& c : cases) {
        RecorderKey got;
        EXPECT_EQ(ParseRecorderChoice(c.text, got), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(got, c.want) << c.text;
        }
    }
}

TEST(RecorderChoice, TheModelIsNeededOnlyWhereTheAddressHasSeveral) {
    std::vector<RecorderSummary> held(4);
    held[0].id = 1, held[0].key = {"", 5, "ZT772"};
    held[1].id = 2, held[1].key = {"", 5, "ZT330"};
    held[2].id = 3, held[2].key = {"", 6, "ZT330"};
    held[3].id = 4, held[3].key = {"B", 5, "ZT330"};
    RecorderSummary found;
    EXPECT_EQ(ChooseRecorder(held, {"", 6, ""}, found), RecorderChoice::Found);
    EXPECT_EQ(found.id, 3);
    EXPECT_EQ(ChooseRecorder(held, {"B", 5, ""}, found), RecorderChoice::Found);
    EXPECT_EQ(found.id, 4);
    EXPECT_EQ(ChooseRecorder(held, {"", 5, "ZT772"}, found), RecorderChoice::Found);
    EXPECT_EQ(found.id, 1);
    EXPECT_EQ(ChooseRecorder(held, {"", 5, ""}, found), RecorderChoice::SeveralModels);
    EXPECT_EQ(RecorderChoiceMessage(RecorderChoice::SeveralModels, {"", 5, ""}, held),
              "仪表地址 05 有多种仪表类型：ZT330, ZT772，请用 --recorder 05:型号 指定");
    EXPECT_EQ(ChooseRecorder(held, {"", 6, "ZT772"}, found), RecorderChoice::None);
    EXPECT_EQ(RecorderChoiceMessage(RecorderChoice::None, {"", 6, "ZT772"}, held),
              "档案库中没有仪表 06:ZT772 的记录");
    EXPECT_EQ(ChooseRecorder(held, {"C", 5, ""}, found), RecorderChoice::None);
    EXPECT_EQ(RecorderChoiceMessage(RecorderChoice::None, {"C", 5, ""}, held),
              "档案库中没有仪表 C/05 的记录");
}

}  // namespace
}  // namespace vardo
