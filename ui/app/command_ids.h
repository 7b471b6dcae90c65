#pragma once
// Command ids of menu 128, the accelerators and the toolbars; other parts of the program
// handle their commands by these numbers.

namespace vardo::cmd {

inline constexpr int kFileOpen = 57601;
inline constexpr int kArchiveOpen = 32850;
inline constexpr int kCfUpload = 32771;
inline constexpr int kSerialUpload = 32820;
inline constexpr int kExport = 32825;
inline constexpr int kCommSettings = 32802;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 57609;
inline constexpr int kAppExit = 57665;
inline constexpr int kViewCurves = 32782;
inline constexpr int kViewList = 32783;
inline constexpr int kViewRealtime = 32784;
inline constexpr int kSettingsPanel = 32790;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kForward = 32772;
inline constexpr int kBack = 32773;
inline constexpr int kZoomIn = 32775;
inline constexpr int kZoomOut = 32776;
inline constexpr int kActualSize = 32777;
inline constexpr int kPositionQuery = 32774;
inline constexpr int kRangeSet = 32818;
inline constexpr int kOrderAscending = 32837;
inline constexpr int kOrderDescending = 32838;
inline constexpr int kAcquireStart = 32794;
inline constexpr int kAcquireStop = 32801;
inline constexpr int kStatistics = 32789;
inline constexpr int kCodeLookup = 32814;
inline constexpr int kFileBrowser = 32816;
// Beyond the original menu: unattended collection.
inline constexpr int kCollectSettings = 33001;
inline constexpr int kCollectNow = 33002;
// Beyond the original menu: the language of the windows.
inline constexpr int kLanguageDesktop = 33003;
inline constexpr int kLanguageChinese = 33004;
inline constexpr int kLanguageEnglish = 33005;
inline constexpr int kHelp = 32829;
inline constexpr int kAppAbout = 57664;

// Toolbar resources, by the view that shows them.
inline constexpr int kToolbarCurves = 128;
inline constexpr int kToolbarList = 142;
inline constexpr int kToolbarRealtime = 141;

}  // namespace vardo::cmd
