// Numbers of the lines of the message file that the program uses. The texts
// are in data/messages.txt; forms write these numbers as `@` captions.

#ifndef TALOR_SHELL_MESSAGE_NUMBERS_H_
#define TALOR_SHELL_MESSAGE_NUMBERS_H_

namespace talor::message {

// Login and start.
inline constexpr int kCancel = 92;          // caption of cancel buttons
inline constexpr int kErrorCaption = 138;   // caption of error boxes
inline constexpr int kRetryQuestion = 143;  // follows kLoginFailed directly
inline constexpr int kUserRefused = 944;    // wrong user name or password
inline constexpr int kUserNameLabel = 985;
inline constexpr int kPasswordLabel = 986;
inline constexpr int kLoginCaption = 987;         // followed by " - " and the address
inline constexpr int kWorkstationRefused = 1013;  // server answer -3338
inline constexpr int kLoginFailed = 1238;

// Main window: menu tool bar and menu items.
inline constexpr int kFileMenu = 1240;
inline constexpr int kViewMenu = 1241;
inline constexpr int kFavoritesMenu = 1242;
inline constexpr int kServiceMenu = 1243;
inline constexpr int kHelpMenu = 1244;
inline constexpr int kFileOpen = 1245;
inline constexpr int kFileSaveAs = 1246;
inline constexpr int kFilePrint = 1247;
inline constexpr int kFileExit = 1248;
inline constexpr int kViewBack = 1249;
inline constexpr int kViewForward = 1250;
inline constexpr int kViewHome = 1251;
inline constexpr int kViewStop = 1252;
inline constexpr int kViewRefresh = 1253;
inline constexpr int kViewGoto = 1254;
inline constexpr int kFavoritesAdd = 1255;
inline constexpr int kServisToolBars = 1256;
inline constexpr int kViewToolItem = 1257;
inline constexpr int kFileToolItem = 1258;
inline constexpr int kURLToolItem = 1259;
inline constexpr int kDefaultToolItem = 1260;
inline constexpr int kHelpFull = 1261;
inline constexpr int kHelpAbout = 1262;
inline constexpr int kHistory = 1263;
inline constexpr int kFileReturn = 1264;

// Main window: hints of the tool buttons and other controls.
inline constexpr int kBackHint = 1265;
inline constexpr int kForwardHint = 1266;
inline constexpr int kStopHint = 1267;
inline constexpr int kRefreshHint = 1268;
inline constexpr int kHomeHint = 1269;
inline constexpr int kFavoritesHint = 1270;
inline constexpr int kHistoryHint = 1271;
inline constexpr int kFileOpenHint = 1272;
inline constexpr int kFileSaveAsHint = 1273;
inline constexpr int kFilePrintHint = 1274;
inline constexpr int kFileReturnHint = 1275;
inline constexpr int kAddressLabel = 1276;
inline constexpr int kGoHint = 1277;
inline constexpr int kDeleteEntryHint = 1278;
inline constexpr int kClosePanelHint = 1279;
inline constexpr int kControlBarHint = 1280;

// Splash window.
inline constexpr int kSplashTitle = 1281;
inline constexpr int kSplashSubtitle = 1282;
inline constexpr int kSplashConnecting = 1283;
inline constexpr int kSplashCloseHint = 1284;

}  // namespace talor::message

#endif  // TALOR_SHELL_MESSAGE_NUMBERS_H_
