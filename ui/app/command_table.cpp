#include "app/command_table.h"

#include <QCoreApplication>
#include <algorithm>

#include "app/command_ids.h"

namespace vardo {

namespace {

QKeySequence Ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

QKeySequence Plain(Qt::Key key) {
    return QKeySequence(key);
}

int PlaceOn(const ToolPlaces& places, int resource) {
    if (resource == cmd::kToolbarList) return places.list;
    if (resource == cmd::kToolbarRealtime) return places.realtime;
    return places.curves;
}

}  // namespace

// clang-format off
const std::vector<CommandRow>& CommandTable() {
    using P = Popup;
    static const std::vector<CommandRow> table = {
        // id                   popup     group  menu text                         prompt / tool tip                          keys                          curves list real  checkable
        {cmd::kFileOpen,        P::File,    1, QT_TRANSLATE_NOOP("vardo", "打开历史文件(&O)...\tCtrl+O"), QT_TRANSLATE_NOOP("vardo", "打开历史文档\n打开"),                 {Ctrl(Qt::Key_O)},             {21, 21,  0}},
        {cmd::kArchiveOpen,     P::File,    1, QT_TRANSLATE_NOOP("vardo", "打开档案..."),                 QT_TRANSLATE_NOOP("vardo", "打开档案中仪表的一段记录\n打开档案"), {},                            {25, 25,  0}},
        {cmd::kCfUpload,        P::File,    1, QT_TRANSLATE_NOOP("vardo", "上传CF卡文件(&U)...\tCtrl+U"), QT_TRANSLATE_NOOP("vardo", "上传CF卡文件\n上传CF卡文件"),         {Ctrl(Qt::Key_U)},             {23, 23,  0}},
        {cmd::kSerialUpload,    P::File,    1, QT_TRANSLATE_NOOP("vardo", "串口上传数据(&C)...\tCtrl+C"), QT_TRANSLATE_NOOP("vardo", "使用串口上传数据\n串口上传数据"),     {Ctrl(Qt::Key_C)},             {24, 24,  0}},
        {cmd::kExport,          P::File,    2, QT_TRANSLATE_NOOP("vardo", "数据导出(&E)...\tCtrl+E"),     QT_TRANSLATE_NOOP("vardo", "导出Excel\n导出Excel"),               {Ctrl(Qt::Key_E)},             {22, 22,  0}},
        {cmd::kCommSettings,    P::File,    3, QT_TRANSLATE_NOOP("vardo", "通讯设置(&S)...\tCtrl+S"),     QT_TRANSLATE_NOOP("vardo", "通讯设置\n通讯设置"),                 {Ctrl(Qt::Key_S)},             { 0,  0, 21}},
        {cmd::kPrint,           P::File,    4, QT_TRANSLATE_NOOP("vardo", "打印(&P)...\tCtrl+P"),         QT_TRANSLATE_NOOP("vardo", "打印\n打印"),                         {Ctrl(Qt::Key_P)},             {32, 32, 23}},
        {cmd::kPrintPreview,    P::File,    4, QT_TRANSLATE_NOOP("vardo", "打印预览(&V)\tCtrl+V"),        QT_TRANSLATE_NOOP("vardo", "打印预览\n打印预览"),                 {Ctrl(Qt::Key_V)},             {31, 31, 22}},
        {cmd::kAppExit,         P::File,    5, QT_TRANSLATE_NOOP("vardo", "退出(&X)\tAlt+F4"),            QT_TRANSLATE_NOOP("vardo", "退出应用程序；提示保存文档\n退出"),   {QKeySequence(Qt::ALT | Qt::Key_F4)}, {}},
        {cmd::kViewCurves,      P::View,    1, QT_TRANSLATE_NOOP("vardo", "历史曲线(&H)\t1"),             QT_TRANSLATE_NOOP("vardo", "历史曲线\n历史曲线"),                 {Plain(Qt::Key_1)},            {11, 11, 11}, true},
        {cmd::kViewList,        P::View,    1, QT_TRANSLATE_NOOP("vardo", "数据列表(&D)\t2"),             QT_TRANSLATE_NOOP("vardo", "数据列表\n数据列表"),                 {Plain(Qt::Key_2)},            {12, 12, 12}, true},
        {cmd::kViewRealtime,    P::View,    1, QT_TRANSLATE_NOOP("vardo", "实时数显(&R)\t3"),             QT_TRANSLATE_NOOP("vardo", "实时曲线\n实时曲线"),                 {Plain(Qt::Key_3)},            {13, 13, 13}, true},
        {cmd::kSettingsPanel,   P::View,    2, QT_TRANSLATE_NOOP("vardo", "设置面板(&P)\t4"),             nullptr,                              {Plain(Qt::Key_4)},            {},           true},
        {cmd::kViewToolbar,     P::View,    2, QT_TRANSLATE_NOOP("vardo", "工具栏(&T)"),                  QT_TRANSLATE_NOOP("vardo", "显示或隐藏工具栏\n显隐工具栏"),       {},                            {},           true},
        {cmd::kViewStatusBar,   P::View,    2, QT_TRANSLATE_NOOP("vardo", "状态栏(&S)"),                  QT_TRANSLATE_NOOP("vardo", "显示或隐藏状态栏\n显隐状态栏"),       {},                            {},           true},
        {cmd::kForward,         P::Operate, 1, QT_TRANSLATE_NOOP("vardo", "前进(&F)\t->"),                QT_TRANSLATE_NOOP("vardo", "前进\n前进"),                         {Plain(Qt::Key_Right)},        {42,  0,  0}},
        {cmd::kBack,            P::Operate, 1, QT_TRANSLATE_NOOP("vardo", "后退(&B)\t<-"),                QT_TRANSLATE_NOOP("vardo", "后退\n后退"),                         {Plain(Qt::Key_Left)},         {41,  0,  0}},
        {cmd::kZoomIn,          P::Operate, 1, QT_TRANSLATE_NOOP("vardo", "放大(&Z)\tZ"),                 QT_TRANSLATE_NOOP("vardo", "曲线放大\n曲线放大"),                 {Plain(Qt::Key_Z)},            {43,  0,  0}},
        {cmd::kZoomOut,         P::Operate, 1, QT_TRANSLATE_NOOP("vardo", "缩小(&x)\tX"),                 QT_TRANSLATE_NOOP("vardo", "曲线缩小\n曲线缩小"),                 {Plain(Qt::Key_X)},            {44,  0,  0}},
        {cmd::kActualSize,      P::Operate, 1, QT_TRANSLATE_NOOP("vardo", "实际尺寸(&R)\tR"),             QT_TRANSLATE_NOOP("vardo", "实际尺寸\n实际尺寸"),                 {Plain(Qt::Key_R)},            {45,  0,  0}},
        {cmd::kPositionQuery,   P::Operate, 1, QT_TRANSLATE_NOOP("vardo", "定位查询(&P)\tP"),             QT_TRANSLATE_NOOP("vardo", "定位查询\n定位查询"),                 {Plain(Qt::Key_P), Ctrl(Qt::Key_F)}, {46, 0, 0}},
        {cmd::kRangeSet,        P::Operate, 2, QT_TRANSLATE_NOOP("vardo", "范围设定(&A)\tA "),            QT_TRANSLATE_NOOP("vardo", "范围设定\n范围设定"),                 {Plain(Qt::Key_A)},            { 0, 41,  0}},
        {cmd::kOrderAscending,  P::Order,   2, QT_TRANSLATE_NOOP("vardo", "顺序(&A)"),                    QT_TRANSLATE_NOOP("vardo", "顺序\n顺序"),                         {},                            { 0, 43,  0}, true},
        {cmd::kOrderDescending, P::Order,   2, QT_TRANSLATE_NOOP("vardo", "倒序(&D)"),                    QT_TRANSLATE_NOOP("vardo", "倒序\n倒序"),                         {},                            { 0, 42,  0}, true},
        {cmd::kAcquireStart,    P::Operate, 3, QT_TRANSLATE_NOOP("vardo", "开始(&S)\tS"),                 QT_TRANSLATE_NOOP("vardo", "开始实时采集\n开始实时采集"),         {Plain(Qt::Key_S)},            { 0,  0, 31}},
        {cmd::kAcquireStop,     P::Operate, 3, QT_TRANSLATE_NOOP("vardo", "停止(&T)\tT"),                 QT_TRANSLATE_NOOP("vardo", "停止实时采集\n停止实时采集"),         {Plain(Qt::Key_T)},            { 0,  0, 32}},
        {cmd::kStatistics,      P::Tools,   1, QT_TRANSLATE_NOOP("vardo", "均值峰值统计(&S)"),            QT_TRANSLATE_NOOP("vardo", "峰值均值统计\n峰值均值统计"),         {},                            {51,  0,  0}},
        {cmd::kCodeLookup,      P::Tools,   1, QT_TRANSLATE_NOOP("vardo", "汉字内码转换(&C)"),            nullptr,                              {},                            {}},
        {cmd::kFileBrowser,     P::Tools,   1, QT_TRANSLATE_NOOP("vardo", "历史文件浏览(&B)"),            nullptr,                              {},                            {}},
        {cmd::kCollectSettings, P::Tools,   2, QT_TRANSLATE_NOOP("vardo", "采集设置(&R)..."),             nullptr,                              {},                            {}},
        {cmd::kCollectNow,      P::Tools,   2, QT_TRANSLATE_NOOP("vardo", "立即采集(&N)..."),             nullptr,                              {},                            {}},
        {cmd::kLanguageDesktop, P::Language, 3, QT_TRANSLATE_NOOP("vardo", "跟随桌面"), nullptr, {}, {}, true},
        {cmd::kLanguageChinese, P::Language, 3, "中文", nullptr, {}, {}, true},
        {cmd::kLanguageEnglish, P::Language, 3, "English", nullptr, {}, {}, true},
        {cmd::kHelp,            P::Help,    1, QT_TRANSLATE_NOOP("vardo", "帮助(&H)"),                    QT_TRANSLATE_NOOP("vardo", "帮助手册\n帮助手册"),                 {},                            {61, 44, 41}},
        {cmd::kAppAbout,        P::Help,    1, QT_TRANSLATE_NOOP("vardo", "关于(&A)..."),                 QT_TRANSLATE_NOOP("vardo", "显示程序信息，版本号和版权\n关于"),   {},                            {62, 45, 42}},
    };
    return table;
}
// clang-format on

const CommandRow* FindCommand(int id) {
    for (const CommandRow& row : CommandTable())
        if (row.id == id) return &row;
    return nullptr;
}

Popup ParentPopup(Popup popup) {
    if (popup == Popup::Order) return Popup::Operate;
    if (popup == Popup::Language) return Popup::Tools;
    return popup;
}

const char* PopupTitle(Popup popup) {
    // In the order of Popup.
    static const char* const titles[] = {
        QT_TRANSLATE_NOOP("vardo", "文件(&F)"), QT_TRANSLATE_NOOP("vardo", "查看(&V)"),
        QT_TRANSLATE_NOOP("vardo", "操作(&O)"), QT_TRANSLATE_NOOP("vardo", "排列顺序(&S)"),
        QT_TRANSLATE_NOOP("vardo", "工具(&T)"),
        // Readable whatever language the windows speak: the way back from a wrong choice.
        "语言 / Language", QT_TRANSLATE_NOOP("vardo", "帮助(&H)")};
    return titles[static_cast<int>(popup)];
}

std::vector<int> ToolbarButtons(int resource) {
    std::vector<const CommandRow*> rows;
    for (const CommandRow& row : CommandTable())
        if (PlaceOn(row.tool, resource) > 0) rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(),
                     [resource](const CommandRow* a, const CommandRow* b) {
                         return PlaceOn(a->tool, resource) < PlaceOn(b->tool, resource);
                     });
    std::vector<int> buttons;
    int group = 0;
    for (const CommandRow* row : rows) {
        const int place = PlaceOn(row->tool, resource);
        if (group != 0 && place / 10 != group) buttons.push_back(0);
        group = place / 10;
        buttons.push_back(row->id);
    }
    return buttons;
}

}  // namespace vardo
