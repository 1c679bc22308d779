// Sections, keys and defaults of the local configuration file and of the
// settings that the server sends at registration. Each key is read by the
// module named beside it; the names are used exactly as written here.

#ifndef TALOR_SHELL_CONFIG_KEYS_H_
#define TALOR_SHELL_CONFIG_KEYS_H_

#include <cstdint>
#include <string_view>

namespace talor::config {

// Local configuration file.
inline constexpr std::string_view kDefaultConfigFileName = "Talor_Navigator.ini";

// Section `Main` (also written `MAIN`): files, font, server, login.
inline constexpr std::string_view kMain = "Main";
inline constexpr std::string_view kTalorMsg = "TalorMsg";
inline constexpr std::string_view kDefaultTalorMsg = "TALORMSG.TXT";
inline constexpr std::string_view kFontName = "FontName";
inline constexpr std::string_view kDefaultFontName = "Arial";
inline constexpr std::string_view kFontCharSet = "FontCharSet";
inline constexpr int32_t kDefaultFontCharSet = 204;
inline constexpr std::string_view kWorkdir = "Workdir";
inline constexpr std::string_view kDefaultWorkdir = "c:\\talorwrk\\";
inline constexpr std::string_view kServerIP = "ServerIP";
inline constexpr std::string_view kDefaultServerIP = "127.0.0.1";
inline constexpr std::string_view kServerPort = "ServerPort";
inline constexpr int32_t kDefaultServerPort = 6666;
inline constexpr std::string_view kUserName = "UserName";
inline constexpr std::string_view kUserPassword = "UserPassword";
inline constexpr std::string_view kAPPLIDENT = "APPLIDENT";
inline constexpr std::string_view kLoginApplIdent = "R";
inline constexpr std::string_view kChangeServerApplIdent = "C";

// Section `CONTEXT`: a page handed over by another program.
inline constexpr std::string_view kContext = "CONTEXT";
inline constexpr std::string_view kInitURL = "InitURL";
inline constexpr std::string_view kReturnHandle = "ReturnHandle";
inline constexpr std::string_view kContextUserName = "USERNAME";
inline constexpr std::string_view kContextUserPassword = "UserPassword";

// Section `Safety`: what pages and formats may do on this machine
// (shell/safety_config.h).
inline constexpr std::string_view kSafety = "Safety";
inline constexpr std::string_view kLibraryDirs = "LibraryDirs";
inline constexpr std::string_view kAllowPrograms = "AllowPrograms";
inline constexpr std::string_view kWriteDirs = "WriteDirs";

// Section `DESKTOP`: window layout and favourites.
inline constexpr std::string_view kDesktop = "DESKTOP";
inline constexpr std::string_view kScalable = "Scalable";
inline constexpr std::string_view kWidth = "Width";
inline constexpr int32_t kDefaultWidth = 640;
inline constexpr std::string_view kHeight = "Height";
inline constexpr int32_t kDefaultHeight = 480;
inline constexpr std::string_view kMainMenuLeft = "MainMenuLeft";
inline constexpr int32_t kDefaultMainMenuLeft = 11;
inline constexpr std::string_view kMainMenuTop = "MainMenuTop";
inline constexpr int32_t kDefaultMainMenuTop = 2;
inline constexpr std::string_view kView = "View";
inline constexpr std::string_view kViewLeft = "ViewLeft";
inline constexpr int32_t kDefaultViewLeft = 11;
inline constexpr std::string_view kViewTop = "ViewTop";
inline constexpr int32_t kDefaultViewTop = 28;
inline constexpr std::string_view kFile = "File";
inline constexpr std::string_view kFileLeft = "FileLeft";
inline constexpr int32_t kDefaultFileLeft = 224;
inline constexpr std::string_view kFileTop = "FileTop";
inline constexpr int32_t kDefaultFileTop = 28;
inline constexpr std::string_view kURL = "URL";
inline constexpr std::string_view kURLLeft = "URLLeft";
inline constexpr int32_t kDefaultURLLeft = 11;
inline constexpr std::string_view kURLTop = "URLTop";
inline constexpr int32_t kDefaultURLTop = 54;
inline constexpr std::string_view kURLWidth = "URLWidth";
inline constexpr int32_t kDefaultURLWidth = 619;
inline constexpr std::string_view kFavorites = "Favorites";
inline constexpr std::string_view kHistory = "History";
inline constexpr std::string_view kFavoritesNumb = "FavoritesNumb";
// Favourite i is stored under these stems followed by i in decimal.
inline constexpr std::string_view kTitleFavorites = "TitleFavorites";
inline constexpr std::string_view kURLFavorites = "URLFavorites";
inline constexpr std::string_view kPostDataFavorites = "PostDataFavorites";
inline constexpr std::string_view kContextFavorites = "ContextFavorites";

// Server-provided settings, section `Navigator`. The page-parameter names
// (`PARNAME_`...) and navigator tags (`MODTAG_`...) are read by the start-up.
inline constexpr std::string_view kNavigator = "Navigator";
inline constexpr std::string_view kTRMPORTION = "TRMPORTION";
inline constexpr int32_t kDefaultTRMPORTION = 100;
inline constexpr std::string_view kSEARCHPORTION = "SEARCHPORTION";
inline constexpr int32_t kDefaultSEARCHPORTION = 5;
inline constexpr std::string_view kBARCODEHEIGHT = "BARCODEHEIGHT";
inline constexpr int32_t kDefaultBARCODEHEIGHT = 40;
inline constexpr std::string_view kBARCODETYPE = "BARCODETYPE";
inline constexpr int32_t kDefaultBARCODETYPE = 0;
inline constexpr std::string_view kNUMBFREEPAR = "NUMBFREEPAR";
inline constexpr int32_t kDefaultNUMBFREEPAR = 20;
inline constexpr std::string_view kMAXHISTORYTITLELENGTH = "MAXHISTORYTITLELENGTH";
inline constexpr int32_t kDefaultMAXHISTORYTITLELENGTH = 80;
inline constexpr std::string_view kRBUTTONDOWN = "RBUTTONDOWN";
inline constexpr std::string_view kFULLTEXTMAXRESULT = "FULLTEXTMAXRESULT";
inline constexpr int32_t kDefaultFULLTEXTMAXRESULT = 100;
// Interface switches, each true by default.
inline constexpr std::string_view kFileOpen = "FileOpen";
inline constexpr std::string_view kFileSaveAs = "FileSaveAs";
inline constexpr std::string_view kFilePrint = "FilePrint";
inline constexpr std::string_view kURLCoolBar = "URLCoolBar";
inline constexpr std::string_view kFavoritesAdd = "FavoritesAdd";
inline constexpr std::string_view kServisToolBars = "ServisToolBars";
inline constexpr std::string_view kFavoritesHistoryDelete = "FavoritesHistoryDelete";
inline constexpr std::string_view kFavoritesList = "FavoritesList";
inline constexpr std::string_view kHelpURL = "HelpURL";
inline constexpr std::string_view kDefaultHelpURL = "TALOR:3,0,,Talor_Navigator_Help0.html";
// `InitURL` of this section defaults to the value of `HelpURL`.
inline constexpr std::string_view kNavigatorInitURL = "InitURL";

// Server-provided settings, section `MAIN`.
inline constexpr std::string_view kServerMain = "MAIN";
inline constexpr std::string_view kBlockSocket = "BlockSocket";
inline constexpr std::string_view kSHOW_WAITING_IN_SECOND = "SHOW_WAITING_IN_SECOND";
inline constexpr int32_t kDefaultSHOW_WAITING_IN_SECOND = 3;
inline constexpr std::string_view kTagInternalResource = "TagInternalResource";
inline constexpr int32_t kDefaultTagInternalResource = 953;

}  // namespace talor::config

#endif  // TALOR_SHELL_CONFIG_KEYS_H_
