#include "app/command_table.h"

#include "app/command_ids.h"
#include "base/texts.h"

namespace vardo {

namespace {
MenuEntry C(int id) {
    return {MenuEntry::Command, id, nullptr};
}
MenuEntry Sep() {
    return {MenuEntry::Separator, 0, nullptr};
}
}  // namespace

const std::vector<MenuPopup>& MenuLayout() {
    static const std::vector<MenuPopup> layout = {
        {texts::kMenuFile,
         {C(cmd::kFileOpen), C(cmd::kCfUpload), C(cmd::kSerialUpload), Sep(), C(cmd::kExport),
          Sep(), C(cmd::kCommSettings), Sep(), C(cmd::kPrint), C(cmd::kPrintPreview), Sep(),
          C(cmd::kAppExit)}},
        {texts::kMenuView,
         {C(cmd::kViewCurves), C(cmd::kViewList), C(cmd::kViewRealtime), Sep(),
          C(cmd::kSettingsPanel), C(cmd::kViewToolbar), C(cmd::kViewStatusBar)}},
        {texts::kMenuOperate,
         {C(cmd::kForward),
          C(cmd::kBack),
          C(cmd::kZoomIn),
          C(cmd::kZoomOut),
          C(cmd::kActualSize),
          C(cmd::kPositionQuery),
          Sep(),
          C(cmd::kRangeSet),
          {MenuEntry::SubmenuBegin, 0, texts::kMenuOrder},
          C(cmd::kOrderAscending),
          C(cmd::kOrderDescending),
          {MenuEntry::SubmenuEnd, 0, nullptr},
          Sep(),
          C(cmd::kAcquireStart),
          C(cmd::kAcquireStop)}},
        {texts::kMenuTools, {C(cmd::kStatistics), C(cmd::kCodeLookup), C(cmd::kFileBrowser)}},
        {texts::kMenuHelp, {C(cmd::kHelp), C(cmd::kAppAbout)}},
    };
    return layout;
}

QList<QKeySequence> CommandKeys(int id) {
    switch (id) {
        case cmd::kFileOpen:
            return {QKeySequence(Qt::CTRL | Qt::Key_O)};
        case cmd::kCfUpload:
            return {QKeySequence(Qt::CTRL | Qt::Key_U)};
        case cmd::kSerialUpload:
            return {QKeySequence(Qt::CTRL | Qt::Key_C)};
        case cmd::kExport:
            return {QKeySequence(Qt::CTRL | Qt::Key_E)};
        case cmd::kCommSettings:
            return {QKeySequence(Qt::CTRL | Qt::Key_S)};
        case cmd::kPrint:
            return {QKeySequence(Qt::CTRL | Qt::Key_P)};
        case cmd::kPrintPreview:
            return {QKeySequence(Qt::CTRL | Qt::Key_V)};
        case cmd::kAppExit:
            return {QKeySequence(Qt::ALT | Qt::Key_F4)};
        case cmd::kViewCurves:
            return {QKeySequence(Qt::Key_1)};
        case cmd::kViewList:
            return {QKeySequence(Qt::Key_2)};
        case cmd::kViewRealtime:
            return {QKeySequence(Qt::Key_3)};
        case cmd::kSettingsPanel:
            return {QKeySequence(Qt::Key_4)};
        case cmd::kForward:
            return {QKeySequence(Qt::Key_Right)};
        case cmd::kBack:
            return {QKeySequence(Qt::Key_Left)};
        case cmd::kZoomIn:
            return {QKeySequence(Qt::Key_Z)};
        case cmd::kZoomOut:
            return {QKeySequence(Qt::Key_X)};
        case cmd::kActualSize:
            return {QKeySequence(Qt::Key_R)};
        case cmd::kPositionQuery:
            return {QKeySequence(Qt::Key_P), QKeySequence(Qt::CTRL | Qt::Key_F)};
        case cmd::kRangeSet:
            return {QKeySequence(Qt::Key_A)};
        case cmd::kAcquireStart:
            return {QKeySequence(Qt::Key_S)};
        case cmd::kAcquireStop:
            return {QKeySequence(Qt::Key_T)};
        default:
            return {};
    }
}

const char* CommandMenuText(int id) {
    for (const texts::CommandText& t : texts::kCommandTexts)
        if (t.id == id) return t.menu;
    return nullptr;
}

const char* CommandPrompt(int id) {
    for (const texts::CommandText& t : texts::kCommandTexts)
        if (t.id == id) return t.prompt;
    return nullptr;
}

const std::vector<int>& ToolbarButtons(int resource) {
    static const std::vector<int> curves = {cmd::kViewCurves,
                                            cmd::kViewList,
                                            cmd::kViewRealtime,
                                            0,
                                            cmd::kFileOpen,
                                            cmd::kExport,
                                            cmd::kCfUpload,
                                            cmd::kSerialUpload,
                                            0,
                                            cmd::kPrintPreview,
                                            cmd::kPrint,
                                            0,
                                            cmd::kBack,
                                            cmd::kForward,
                                            cmd::kZoomIn,
                                            cmd::kZoomOut,
                                            cmd::kActualSize,
                                            cmd::kPositionQuery,
                                            0,
                                            cmd::kStatistics,
                                            0,
                                            cmd::kHelp,
                                            cmd::kAppAbout};
    static const std::vector<int> list = {cmd::kViewCurves,
                                          cmd::kViewList,
                                          cmd::kViewRealtime,
                                          0,
                                          cmd::kFileOpen,
                                          cmd::kExport,
                                          cmd::kCfUpload,
                                          cmd::kSerialUpload,
                                          0,
                                          cmd::kPrintPreview,
                                          cmd::kPrint,
                                          0,
                                          cmd::kRangeSet,
                                          cmd::kOrderDescending,
                                          cmd::kOrderAscending,
                                          cmd::kHelp,
                                          cmd::kAppAbout};
    static const std::vector<int> realtime = {cmd::kViewCurves,
                                              cmd::kViewList,
                                              cmd::kViewRealtime,
                                              0,
                                              cmd::kCommSettings,
                                              cmd::kPrintPreview,
                                              cmd::kPrint,
                                              0,
                                              cmd::kAcquireStart,
                                              cmd::kAcquireStop,
                                              0,
                                              cmd::kHelp,
                                              cmd::kAppAbout};
    if (resource == cmd::kToolbarList) return list;
    if (resource == cmd::kToolbarRealtime) return realtime;
    return curves;
}

std::vector<int> AllCommandIds() {
    std::vector<int> ids;
    for (const MenuPopup& p : MenuLayout())
        for (const MenuEntry& e : p.entries)
            if (e.kind == MenuEntry::Command) ids.push_back(e.id);
    return ids;
}

}  // namespace vardo
