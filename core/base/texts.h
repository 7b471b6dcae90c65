#pragma once
// The system's own texts, each written once. Everything the user reads comes from here.

namespace vardo::texts {

inline constexpr const char* kMessageTitle = "提示...";

// history files
inline constexpr const char* kUnknownFormat = "未知文件格式！";
inline constexpr const char* kFileDamaged = "该文件已经损坏！";
inline constexpr const char* kOpenFileFailed = "打开文件失败！";
inline constexpr const char* kOpenHistoryTitle = "打开历史数据";
inline constexpr const char* kRealtimeCurve = "实时曲线";

// serial link and upload
inline constexpr const char* kOpenPortFailed = "打开串口失败！";
inline constexpr const char* kCommFailed = "通讯失败！";
inline constexpr const char* kStartBeforeEnd = "请确认 开始时间 < 结束时间";
inline constexpr const char* kStartOutOfRange = "开始时间 超出范围";
inline constexpr const char* kEndOutOfRange = "结束时间 超出范围";
inline constexpr const char* kFileCreateFailed = "文件建立失败！";
inline constexpr const char* kUploadDone = "上传完毕";

// data list
inline constexpr const char* kColumnNumber = "编号";
inline constexpr const char* kColumnTime = "时间";
inline constexpr const char* kColumnChannel = "通道%d";
inline constexpr const char* kRowTimeFormat = "%d-%02d-%02d %02d:%02d:%02d";
inline constexpr const char* kReadingData = "数据读取中...";
inline constexpr const char* kRecordIntervals = "%d 个记录间隔";
inline constexpr const char* kPrintFile = "打印文件:";
inline constexpr const char* kPrintTime = "打印时间：";
inline constexpr const char* kPrintTimeFormat = "%d-%02d-%02d %02d:%02d";
inline constexpr const char* kPageOfPages = "%d - %d";

// Excel export
inline constexpr const char* kExcelExportTitle = "Excel 导出";
inline constexpr const char* kExcelSaveTitle = "Excel 导出历史数据";
inline constexpr const char* kExcelFilter = "Microsoft Excel 工作簿(*.xls)";
inline constexpr const char* kUntitledXls = "Untitled%d.xls";
inline constexpr const char* kExcelSheet = "Sheet%d";
inline constexpr const char* kExcelCreateFailed = "建立文件失败，可能缺少Excel驱动!";
inline constexpr const char* kExportDone = "输出完成！";
inline constexpr const char* kExportButton = "导出...";
inline constexpr const char* kTimeRange = "时间范围：";
inline constexpr const char* kStartTimeLabel = "开始时间：";
inline constexpr const char* kEndTimeLabel = "结束时间：";
inline constexpr const char* kIntervalLabel = "间隔：";
inline constexpr const char* kRecordIntervalsLabel = "记录间隔";
inline constexpr const char* kOrderLabel = "排序：";
inline constexpr const char* kOrderNewestFirst = "倒序";
inline constexpr const char* kOrderOldestFirst = "顺序";

// history file browser: the summary of a file's header
inline constexpr const char* kSummaryFileName = "文件名：";
inline constexpr const char* kSummaryModel = "\r\n\r\n仪表类型：";
inline constexpr const char* kSummaryChannels = "\r\n\r\n通道数：";
inline constexpr const char* kSummaryInterval = "\r\n\r\n记录间隔：";
inline constexpr const char* kSummaryIntervalFormat = "%d秒";
inline constexpr const char* kSummaryStart = "\r\n\r\n开始时间：";
inline constexpr const char* kSummaryTimeFormat = "%d年%02d月%02d日 %02d时%02d分%02d秒";
inline constexpr const char* kSummaryEnd = "\r\n结束时间：";
inline constexpr const char* kSummaryRanges = "\r\n\r\n量程：\r\n";
inline constexpr const char* kSummaryChannelFormat = "\t通道 %02d：";
inline constexpr const char* kSummaryRangeSeparator = " ~ ";

// main window and curve view
inline constexpr const char* kAppTitle = "Vardo 2.0";
inline constexpr const char* kAboutTitle = "Vardo 2.0.0";
inline constexpr const char* kStatusReady = "就绪";
inline constexpr const char* kStatusZoom = "缩放";
inline constexpr const char* kStatusFile = "文件";
inline constexpr const char* kTitleCurves = "历史曲线 - Vardo 2.0";
inline constexpr const char* kTitleList = "数据列表 - Vardo 2.0";
inline constexpr const char* kTitleRealtime = "实时采集 - Vardo 2.0";
inline constexpr const char* kHistoryFilter = "历史文件(*.%s)|*.%s|所有文件(*.*)|*.*||";
inline constexpr const char* kHelpFile = "help.chm";
inline constexpr const char* kHelpMissing = "找不到帮助文件：%s";
inline constexpr const char* kHelpOpenFailed = "无法打开帮助文件：%s";
inline constexpr const char* kOk = "确定";
inline constexpr const char* kHeaderChannels = "通道数目：%d ";
inline constexpr const char* kHeaderInterval = "记录间隔：%d秒";
inline constexpr const char* kHeaderSpan =
    "%d-%02d-%02d %02d:%02d:%02d => %d-%02d-%02d %02d:%02d:%02d";
inline constexpr const char* kLegendChannel = "通道 %d :";
inline constexpr const char* kAxisShortTime = "%02d:%02d:%02d";
inline constexpr const char* kAxisLongTime = "%d-%02d-%02d %02d:%02d:%02d";
inline constexpr const char* kZoomPixels = "缩放:%d%%";
inline constexpr const char* kZoomStep = "缩放:%.2f%%";

// menu 128: popups, and per command its menu text and its prompt ("status text\ntool tip")
inline constexpr const char* kMenuFile = "文件(&F)";
inline constexpr const char* kMenuView = "查看(&V)";
inline constexpr const char* kMenuOperate = "操作(&O)";
inline constexpr const char* kMenuOrder = "排列顺序(&S)";
inline constexpr const char* kMenuTools = "工具(&T)";
inline constexpr const char* kMenuHelp = "帮助(&H)";

struct CommandText {
    int id;
    const char* menu;
    const char* prompt;  // nullptr when the command has none
};

inline constexpr CommandText kCommandTexts[] = {
    {57601, "打开历史文件(&O)...\tCtrl+O", "打开历史文档\n打开"},
    {32771, "上传CF卡文件(&U)...\tCtrl+U", "上传CF卡文件\n上传CF卡文件"},
    {32820, "串口上传数据(&C)...\tCtrl+C", "使用串口上传数据\n串口上传数据"},
    {32825, "数据导出(&E)...\tCtrl+E", "导出Excel\n导出Excel"},
    {32802, "通讯设置(&S)...\tCtrl+S", "通讯设置\n通讯设置"},
    {57607, "打印(&P)...\tCtrl+P", "打印\n打印"},
    {57609, "打印预览(&V)\tCtrl+V", "打印预览\n打印预览"},
    {57665, "退出(&X)\tAlt+F4", "退出应用程序；提示保存文档\n退出"},
    {32782, "历史曲线(&H)\t1", "历史曲线\n历史曲线"},
    {32783, "数据列表(&D)\t2", "数据列表\n数据列表"},
    {32784, "实时数显(&R)\t3", "实时曲线\n实时曲线"},
    {32790, "设置面板(&P)\t4", nullptr},
    {59392, "工具栏(&T)", "显示或隐藏工具栏\n显隐工具栏"},
    {59393, "状态栏(&S)", "显示或隐藏状态栏\n显隐状态栏"},
    {32772, "前进(&F)\t->", "前进\n前进"},
    {32773, "后退(&B)\t<-", "后退\n后退"},
    {32775, "放大(&Z)\tZ", "曲线放大\n曲线放大"},
    {32776, "缩小(&x)\tX", "曲线缩小\n曲线缩小"},
    {32777, "实际尺寸(&R)\tR", "实际尺寸\n实际尺寸"},
    {32774, "定位查询(&P)\tP", "定位查询\n定位查询"},
    {32818, "范围设定(&A)\tA ", "范围设定\n范围设定"},
    {32837, "顺序(&A)", "顺序\n顺序"},
    {32838, "倒序(&D)", "倒序\n倒序"},
    {32794, "开始(&S)\tS", "开始实时采集\n开始实时采集"},
    {32801, "停止(&T)\tT", "停止实时采集\n停止实时采集"},
    {32789, "均值峰值统计(&S)", "峰值均值统计\n峰值均值统计"},
    {32814, "汉字内码转换(&C)", nullptr},
    {32816, "历史文件浏览(&B)", nullptr},
    {32829, "帮助(&H)", "帮助手册\n帮助手册"},
    {57664, "关于(&A)...", "显示程序信息，版本号和版权\n关于"},
};

}  // namespace vardo::texts
