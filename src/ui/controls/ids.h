#pragma once

// Ids of the program's windows, controls and commands. Every widget that has
// an id carries it as its objectName (the decimal number), so tests and
// accessibility tools find controls by the same number everywhere.
namespace dw::ui::id {

// Windows
inline constexpr int ProgressDialog = 102;
inline constexpr int PumpedProgressDialog = 104;
inline constexpr int AboutDialog = 109;
inline constexpr int SearchParametersDialog = 111;
inline constexpr int MaskDialog = 112;
inline constexpr int MainDialog = 113;
inline constexpr int ResultsPage = 122;
inline constexpr int StatisticsDialog = 124;
inline constexpr int FilterDialog = 126;
inline constexpr int SplashWindow = 127;
inline constexpr int ColumnChooserDialog = 204;

// Common buttons
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;

// Main window
inline constexpr int AboutButton = 212;
inline constexpr int HelpButton = 213;
inline constexpr int EmptyTrashButton = 214;
inline constexpr int PreferencesButton = 215;
inline constexpr int SearchButton = 216;
inline constexpr int TabControl = 333;

// Progress windows
inline constexpr int BackgroundButton = 3;
inline constexpr int ProgressBar = 101;
inline constexpr int PhaseText = 329;
inline constexpr int FolderText = 330;
inline constexpr int PumpedText = 308;

// Results page
inline constexpr int ResultsList = 249;
inline constexpr int CopyButton = 236;
inline constexpr int MoveButton = 267;
inline constexpr int CompressButton = 235;
inline constexpr int DeleteButton = 238;
inline constexpr int MarkAllButton = 283;
inline constexpr int ClearAllButton = 242;
inline constexpr int MarkButton = 281;
inline constexpr int ClearButton = 240;
inline constexpr int InvertButton = 260;
inline constexpr int FilterButton = 254;
inline constexpr int RemoveFromListButton = 239;
inline constexpr int RefreshButton = 257;
inline constexpr int TotalLabel = 327;
inline constexpr int TotalCount = 337;
inline constexpr int TotalSize = 339;
inline constexpr int CheckedLabel = 325;
inline constexpr int CheckedCount = 285;
inline constexpr int CheckedSize = 286;

// Statistics dialog
inline constexpr int StatDuplicates = 291;
inline constexpr int StatBySize = 292;
inline constexpr int StatByMask = 293;
inline constexpr int StatOld = 294;
inline constexpr int StatTime = 296;
inline constexpr int StatAnalysed = 297;
inline constexpr int StatUnreadable = 298;
inline constexpr int StatProtected = 299;

// Search parameters dialog
inline constexpr int ScopeTree = 243;
inline constexpr int FindDuplicatesBox = 248;
inline constexpr int FindBySizeBox = 253;
inline constexpr int FindByMaskBox = 264;
inline constexpr int FindOldBox = 269;
inline constexpr int SubfoldersBox = 331;

// Tool pages. Their controls reuse numbers of other windows (each window
// numbers its own controls); findById searches a window's direct children
// first, so the main window's tool buttons are still found by theirs.
inline constexpr int SystemInfoPage = 119;
inline constexpr int TempFilesPage = 120;
inline constexpr int InstalledProgramsPage = 123;
inline constexpr int ToolList = 262;
inline constexpr int DeleteContentsButton = 238;
inline constexpr int UninstallButton = 213;
inline constexpr int ProgramsRefreshButton = 214;
inline constexpr int RemoveEntryButton = 215;
inline constexpr int OsText = 270;
inline constexpr int ProcessorText = 275;
inline constexpr int DriveCombo = 233;
inline constexpr int UsedGrouped = 205;
inline constexpr int UsedScaled = 211;
inline constexpr int FreeGrouped = 255;
inline constexpr int FreeScaled = 256;
inline constexpr int CapacityGrouped = 336;
inline constexpr int CapacityScaled = 338;
inline constexpr int SectorsPerCluster = 212;
inline constexpr int BytesPerSector = 213;
inline constexpr int FreeClusters = 214;
inline constexpr int ClusterSize = 215;

// Commands
inline constexpr int CmdNewSearch = 32797;
inline constexpr int CmdLoadResults = 32795;
inline constexpr int CmdSaveResults = 32794;
inline constexpr int CmdTrayOpen = 32792;
inline constexpr int CmdExit = 32783;
inline constexpr int CmdOpenFolder = 32784;
inline constexpr int CmdOpen = 32787;
inline constexpr int CmdCopy = 32776;
inline constexpr int CmdMove = 32786;
inline constexpr int CmdCompress = 32775;
inline constexpr int CmdDelete = 32777;
inline constexpr int CmdDeleteFolderContents = 32774;
inline constexpr int CmdMarkAll = 32791;
inline constexpr int CmdMark = 32790;
inline constexpr int CmdClearAll = 32782;
inline constexpr int CmdClear = 32781;
inline constexpr int CmdInvert = 32785;
inline constexpr int CmdFilter = 254;
inline constexpr int CmdExport = 32793;
inline constexpr int CmdRemoveFromList = 32779;
inline constexpr int CmdRefresh = 32789;
inline constexpr int CmdProperties = 32788;

// Results list context menus (folder rows / file rows)
inline constexpr int FolderRowMenu = 152;
inline constexpr int FileRowMenu = 153;

// Folder chooser
inline constexpr int FolderChooserDialog = 110;
inline constexpr int FolderTree = 246;
inline constexpr int FolderCombo = 234;

// Filter dialog
inline constexpr int FilterMark = 279;
inline constexpr int FilterClear = 278;
inline constexpr int FilterRemove = 276;
inline constexpr int FilterRemoveExcept = 277;
inline constexpr int FilterByFolder = 217;
inline constexpr int FilterFolderEdit = 273;
inline constexpr int FilterChooseFolder = 200;
inline constexpr int FilterByMask = 229;
inline constexpr int FilterMaskEdit = 252;

// Column chooser
inline constexpr int ColumnList = 344;

// Duplicates list: check every copy but the first of each group
inline constexpr int CmdMarkCopies = 32800;
inline constexpr int MarkCopiesButton = 350;
// Its choices: which copy of each group stays unchecked
inline constexpr int CmdKeepFirstCopy = 32801;
inline constexpr int CmdKeepOldestCopy = 32802;
inline constexpr int CmdKeepNewestCopy = 32803;
inline constexpr int CmdKeepShortestCopy = 32804;

// Preferences frame (one window, six pages; ids repeat between pages)
inline constexpr int PreferencesDialog = 125;
inline constexpr int PrefPageTree = 271;
inline constexpr int PrefPageArea = 247;
inline constexpr int PrefCaption = 218;
inline constexpr int PrefHelpButton = 274;
inline constexpr int MaskPage = 117;
inline constexpr int DuplicatesPage = 114;
inline constexpr int SizePage = 115;
inline constexpr int DatePage = 118;
inline constexpr int AppearancePage = 205;
inline constexpr int GeneralPage = 116;
// Exclusion lists and the button strips under the lists
inline constexpr int ExcludeList = 244;
inline constexpr int ExcludeListMenu = 148;
inline constexpr int ExcludeStrip = 201;
inline constexpr int MaskPageExcludeStrip = 202;
inline constexpr int MaskStrip = 203;
inline constexpr int CmdExcludeAdd = 32768;
inline constexpr int CmdExcludeEdit = 32771;
inline constexpr int CmdExcludeRemove = 32777;
// Masks
inline constexpr int MaskList = 265;
inline constexpr int MaskListMenu = 151;
inline constexpr int CmdMaskAdd = 32770;
inline constexpr int CmdMaskEdit = 32773;
inline constexpr int CmdMaskRemove = 32780;
inline constexpr int MaskNameEdit = 250;
inline constexpr int MaskPatternsEdit = 251;
// "Одинаковые"
inline constexpr int DuplicatesModeSlider = 287;
// "По размеру"
inline constexpr int FindEmptyBox = 227;
inline constexpr int BySizeBox = 223;
inline constexpr int SizeCompareCombo = 233;
inline constexpr int SizeEdit = 250;
// "По дате"
inline constexpr int ByDaysRadio = 237;
inline constexpr int DaysEdit = 250;
inline constexpr int DaysSpin = 289;
inline constexpr int ByMonthsRadio = 266;
inline constexpr int MonthsEdit = 251;
inline constexpr int MonthsSpin = 290;
// "Внешний вид"
inline constexpr int BkColorPicker = 201;
inline constexpr int DefaultColorPicker = 202;
inline constexpr int DuplicatesColorPicker = 203;
inline constexpr int SysColorPicker = 204;
inline constexpr int HiddenColorPicker = 205;
inline constexpr int ReadOnlyColorPicker = 206;
inline constexpr int ArchiveColorPicker = 207;
inline constexpr int CompressedColorPicker = 208;
inline constexpr int AutoArrangeBox = 219;
// "Основные"
inline constexpr int SystemDeleteBox = 231;
inline constexpr int RecycleBinBox = 224;
inline constexpr int PrioritySlider = 288;
inline constexpr int SecurityHighRadio = 345;
inline constexpr int SecurityLowRadio = 346;

}  // namespace dw::ui::id
