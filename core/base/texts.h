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

// communication settings (dialog 143), serial upload (dialog 157)
inline constexpr const char* kCommSetTitle = "通讯设置";
inline constexpr const char* kModelLabel = "记录仪类型：";
inline constexpr const char* kAddressLabel = "记录仪地址：";
inline constexpr const char* kPortLabel = "串口：";
inline constexpr const char* kBaudLabel = "波特率：";
inline constexpr const char* kSamplingLabel = "采样时间：";
inline constexpr const char* kSaveRealLabel = "保存数据";
inline constexpr const char* kConfirm = "确认";
inline constexpr const char* kDeviceLabel = "设备：";
inline constexpr const char* kPortNameTooLong = "串口名称最多5个字符，例如 COM1。";
inline constexpr const char* kSettingsWriteFailed = "无法写入设置文件 %s，设置未保存。";
inline constexpr const char* kSerialUploadTitle = "串口上传数据";
inline constexpr const char* kRangeTextFormat =
    "时间范围：%d-%02d-%02d %02d:%02d:%02d => %d-%02d-%02d %02d:%02d:%02d";
inline constexpr const char* kUploadChannels = "上传通道";
inline constexpr const char* kChannelLineFormat = "通道%d";
inline constexpr const char* kInstrumentType = "仪表类型";
inline constexpr const char* kUploadAll = "上传所有数据";
inline constexpr const char* kTimeSetting = "时间设定";
inline constexpr const char* kUploadStartLabel = "开始时间";
inline constexpr const char* kUpload = "上传";
inline constexpr const char* kStop = "停止";

// unattended collection (our own texts): the recorder list, its dialog, the run
inline constexpr const char* kCollectSettingsTitle = "采集设置";
inline constexpr const char* kCollectNow = "立即采集";
inline constexpr const char* kCollectListHeader = "名称\t端口\t地址\t仪表类型\t站点";
inline constexpr const char* kCollectRowFormat = "%s\t新增 %lld\t%s";
inline constexpr const char* kCollectLostFormat = "仪表已覆盖 %lld 条记录，丢失 %s 至 %s";
inline constexpr const char* kCollectClockAheadFormat = "仪表时钟比本机快 %lld 秒";
inline constexpr const char* kCollectClockBehindFormat = "仪表时钟比本机慢 %lld 秒";
inline constexpr const char* kCollectClockUnreadable = "读不出仪表时钟";
inline constexpr const char* kCollectHeldAhead = "档案库已有晚于仪表最新记录的记录，本次无新记录";
inline constexpr const char* kCollectPortBusy = "串口被其他程序占用";
inline constexpr const char* kCollectStopped = "已停止";
inline constexpr const char* kCollectColumnName = "名称";
inline constexpr const char* kCollectColumnPort = "端口";
inline constexpr const char* kCollectColumnAddress = "地址";
inline constexpr const char* kCollectColumnModel = "仪表类型";
inline constexpr const char* kCollectColumnSite = "站点";
inline constexpr const char* kCollectColumnBaud = "波特率";
inline constexpr const char* kCollectColumnProgress = "进度";
inline constexpr const char* kCollectColumnAdded = "新增";
inline constexpr const char* kCollectColumnResult = "结果";
inline constexpr const char* kCollectBaudDefault = "默认";
inline constexpr const char* kCollectAdd = "添加";
inline constexpr const char* kCollectChange = "修改";
inline constexpr const char* kCollectRemove = "删除";
inline constexpr const char* kCollectTest = "测试";
inline constexpr const char* kCollectTesting = "正在读取仪表…";
inline constexpr const char* kCollectNeedNameAndPort = "请输入名称和端口，名称不能含有 [ ]。";
inline constexpr const char* kCollectNameTaken = "已有名为 %s 的仪表。";
inline constexpr const char* kCollectTestFormat =
    "时间范围：%s => %s\n记录间隔：%d秒  通道数：%d\n仪表时钟：%s";
inline constexpr const char* kCollectNothingNew = "无新记录";
inline constexpr const char* kCollectWaiting = "等待";
inline constexpr const char* kCollectArchiveClash =
    "与 %s 的站点、地址和仪表类型相同，档案库无法区分";

// the framework's prompts for a number field that does not hold what it must
inline constexpr const char* kEnterInteger = "请输入一个整数。";
inline constexpr const char* kEnterIntegerBetween = "请输入一个在 %d 和 %d 之间的整数。";

// range setting (dialog 155; its span block is the export's too), position query (dialog 133)
inline constexpr const char* kRangeSetTitle = "范围设定";
inline constexpr const char* kRangeLabel = "时间范围：";
inline constexpr const char* kRangeStartLabel = "开始时间：";
inline constexpr const char* kRangeEndLabel = "结束时间：";
inline constexpr const char* kRangeStepLabel = "间隔：";
inline constexpr const char* kRangeStepUnit = "记录间隔";
inline constexpr const char* kClose = "关闭";
inline constexpr const char* kPosQueryTitle = "定位查询";
inline constexpr const char* kQueryStartLabel = "起始时间";
inline constexpr const char* kQueryEndLabel = "结束时间";
inline constexpr const char* kQueryMomentLabel = "查询时间";
inline constexpr const char* kQueryButton = "查询";
inline constexpr const char* kCancel = "取消";
inline constexpr const char* kQueryTakeBound = ">>";
inline constexpr const char* kQueryOutOfRange = "时间超出查询范围，请重新输入。";

// CF card import
inline constexpr const char* kCfUploadTitle = "上传CF卡文件";
inline constexpr const char* kCardDrive = "盘符";
inline constexpr const char* kCardColumnFile = "文件";
inline constexpr const char* kCardColumnAddress = "地址";
inline constexpr const char* kCardColumnStart = "开始时间";
inline constexpr const char* kCardColumnEnd = "结束时间";
inline constexpr const char* kCardColumnModel = "仪表类型";
inline constexpr const char* kCardColumnChannels = "通道数";
inline constexpr const char* kCardColumnInterval = "记录间隔";
inline constexpr const char* kCardFileFormat = "%02d.dat";
inline constexpr const char* kCardAddressFormat = "%02d";
inline constexpr const char* kCardIntervalFormat = "%d秒";
inline constexpr const char* kCardDetect = "检测CF卡";
inline constexpr const char* kCardSave = "保存文件...";
inline constexpr const char* kCardDetectFailed = "检测CF卡失败，请检查CF是否连接正确！";
inline constexpr const char* kCardBackupFaulty = "CF卡备份文件有误，请重新备份！";
inline constexpr const char* kCardSelectFile = "请选择列表中需要上传的文件！";
inline constexpr const char* kSectorDamaged = "扇区损坏！";
inline constexpr const char* kFileMissing = "该文件不存在！";
// The card's backup that is not there says it in the same words.
inline constexpr const char* kCardFileMissing = kFileMissing;
inline constexpr const char* kCardCreateFailed = "建立文件失败！";
inline constexpr const char* kCardUploadDone = "文件上传完成！";

// history file browser dialog
inline constexpr const char* kBrowseTitle = "文件浏览";
inline constexpr const char* kBrowseButton = "浏览";
inline constexpr const char* kBrowseFolderTitle = "请选择所在的根目录";
inline constexpr const char* kBrowseOpen = "打开";

// code lookup tool
inline constexpr const char* kCodeConvTitle = "内码转换";
inline constexpr const char* kCodeConvCharacter = "汉字：";
inline constexpr const char* kCodeConvCode = "码：";
// vardo-cli gb2312 refusals (our own words; the tool itself never refuses, it only stays quiet)
inline constexpr const char* kCodeEmptyText = "没有要查的汉字";
inline constexpr const char* kCodeNotUtf8 = "文字不是UTF-8编码";
inline constexpr const char* kCodeNoCode = "该字符没有GBK内码";
inline constexpr const char* kCodeLength = "码必须是2位或4位";
inline constexpr const char* kCodeZeroByte = "码的第一个字节不能是0";
inline constexpr const char* kCodeNoCharacter = "该码不是GBK字符";

// real-time acquisition
inline constexpr const char* kPortBusy = "串口被占用";
inline constexpr const char* kInitFailed = "初始化失败，请检查通讯是否正常！";
inline constexpr const char* kReadingConfig = "读取组态参数...";
inline constexpr const char* kReadingChannelConfig = "读取组态参数 : 通道 %d";
inline constexpr const char* kAllocatingStorage = "分配存储空间...";
// our own words: the settings that index the model and interval tables, and a failed save
inline constexpr const char* kAcquisitionSettingsBad =
    "设置文件中的记录仪类型 (JlyIndex 0..7) 或采样时间 (Interval 0..8) 超出范围。";
inline constexpr const char* kSaveRealFailed =
    "实时数据写入失败，已停止保存。已保存的数据保留在：\n%s";
// a live save that a killed run left behind, found at the next start
inline constexpr const char* kLeftoverRenamed = "中断的实时保存，已按最新记录改名为 %s";
inline constexpr const char* kLeftoverRemoved = "中断的实时保存，没有记录，已删除";
inline constexpr const char* kLeftoverRenameFailed = "中断的实时保存，无法改名（%s），保留原名";
// a device the user may not open, and the group that would let them
inline constexpr const char* kPermissionHint =
    "没有打开 %s 的权限：请把用户加入 %s 组（sudo usermod -aG %s $USER），重新登录后再试。";
inline constexpr const char* kSettingsOversized =
    "设置文件大于 %d MB，已忽略：各项设置取默认值，更改不会保存。";

// data list
inline constexpr const char* kColumnNumber = "编号";
inline constexpr const char* kColumnTime = "时间";
inline constexpr const char* kColumnChannel = "通道%d";

// --recorder of the reading commands (our own texts, for reading a recorder's span)
inline constexpr const char* kArchiveNoRecorder = "档案库中没有仪表 %s 的记录";
inline constexpr const char* kArchiveSeveralModelsHead = "仪表地址 ";
inline constexpr const char* kArchiveSeveralModelsMiddle = " 有多种仪表类型：";
inline constexpr const char* kArchiveSeveralModelsTail = "，请用 --recorder ";
inline constexpr const char* kArchiveSeveralModelsEnd = ":型号 指定";
inline constexpr const char* kEnvelopeHeader = "列\t开始时间\t结束时间";
inline constexpr const char* kEnvelopeChannelMin = "通道%d最小";
inline constexpr const char* kEnvelopeChannelMax = "通道%d最大";
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
inline constexpr const char* kExportFilterXls = "Excel 97-2003 (*.xls)";
inline constexpr const char* kExportFilterXlsx = "Excel (*.xlsx)";
inline constexpr const char* kExportFilterCsv = "CSV (*.csv)";
inline constexpr const char* kUntitledXls = "Untitled%d.xls";
inline constexpr const char* kExcelSheet = "Sheet%d";
inline constexpr const char* kExcelCreateFailed = "建立文件失败，可能缺少Excel驱动!";
inline constexpr const char* kExportDone = "输出完成！";
inline constexpr const char* kReplaceFile = "%1 已经存在。\n要替换它吗?";
inline constexpr const char* kExportButton = "导出...";
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

// settings panel (dialog 130) and its channel colour list
inline constexpr const char* kPanelSelectCurves = "选择曲线 >>";
inline constexpr const char* kPanelYModeGroup = "纵坐标显示模式";
inline constexpr const char* kPanelValueScale = "数值";
inline constexpr const char* kPanelPercentScale = "百分比";
inline constexpr const char* kPanelXModeGroup = "横坐标显示模式";
inline constexpr const char* kPanelLongTime = "长时间";
inline constexpr const char* kPanelShortTime = "短时间";
inline constexpr const char* kPanelGridGroup = "栅格线设置";
inline constexpr const char* kColorListChannel = "通道 %d";

// main window and curve view
inline constexpr const char* kAppTitle = "Vardo 2.0";
inline constexpr const char* kAboutTitle = "Vardo " VARDO_VERSION;
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
inline constexpr const char* kSpanZoomDays = "%lld天%02d:%02d:%02d";
inline constexpr const char* kReadoutLongTime = "%d-%02d-%02d\n%02d:%02d:%02d";
inline constexpr const char* kCurvePrintFile = "打印文件：";
inline constexpr const char* kPrintFailed = "无法打印：%s";
inline constexpr const char* kLanguageNextStart = "下次启动程序时使用新的语言。";

// statistics
inline constexpr const char* kStatTitle = "统计";
// a band over a long span: its records are read on a worker
inline constexpr const char* kStatWorking = "正在统计…";
inline constexpr const char* kStatStart = "开始时间";
inline constexpr const char* kStatEnd = "结束时间";
inline constexpr const char* kStatChannel = "通道";
inline constexpr const char* kStatMean = "均值";
inline constexpr const char* kStatPeak = "峰值";
inline constexpr const char* kStatValley = "谷值";
inline constexpr const char* kStatCompute = "计算";

// the archive (our own texts: the recorder itself keeps no archive)
inline constexpr const char* kPanelPeakEnvelope = "峰值包络";
inline constexpr const char* kArchiveOpenTitle = "打开档案";
inline constexpr const char* kArchiveColumns[] = {"站点",     "地址",     "仪表类型", "通道数",
                                                  "开始时间", "结束时间", "记录"};
inline constexpr const char* kArchiveSourcesLabel = "来源：";
inline constexpr const char* kArchiveSourceColumns[] = {"添加时间", "方式", "记录数", "文件"};
// How an add came, by the name the archive stores it under.
inline constexpr const char* kArchiveHowNames[][2] = {
    {"file", "文件"}, {"upload", "上传"}, {"card", "CF卡"}, {"live", "实时"}, {"collect", "采集"}};
inline constexpr const char* kArchiveStart = "开始时间";
inline constexpr const char* kArchiveEnd = "结束时间";
inline constexpr const char* kArchiveLastDay = "最近一天";
inline constexpr const char* kArchiveLastWeek = "最近一周";
inline constexpr const char* kArchiveLastMonth = "最近一月";
inline constexpr const char* kArchiveAll = "全部";
inline constexpr const char* kArchiveMissing = "档案库不存在！";
inline constexpr const char* kArchiveDamaged = "档案库已损坏或不是本程序的档案库！";
inline constexpr const char* kArchiveUnavailable = "无法打开档案库！";
inline constexpr const char* kArchiveReadFailed = "读取档案库失败！";
inline constexpr const char* kArchiveAddFailed = "添加到档案库失败！";
inline constexpr const char* kArchiveNoAddress = "无法确定仪表地址";
inline constexpr const char* kArchiveAddHeader = "文件\t地址\t仪表类型\t新增\t已有\t冲突";
inline constexpr const char* kArchiveListHeader =
    "站点\t地址\t仪表类型\t通道数\t记录间隔\t开始时间\t结束时间\t记录数";
inline constexpr const char* kArchiveSourcesHeader =
    "时间\t方式\t文件\t大小\tSHA-256\t设备\t主机\t版本";
inline constexpr const char* kArchiveAddressFormat = "%02d";
inline constexpr const char* kArchiveIntervalFormat = "%d秒";
inline constexpr const char* kArchiveSame = "一致";
inline constexpr const char* kArchiveChanged = "已改变";
inline constexpr const char* kArchiveGone = "缺失";

}  // namespace vardo::texts
