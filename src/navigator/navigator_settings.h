// The navigator's working values read from the server-provided settings at
// start: the names under which pages pass their parameters, the tags under
// which the navigator hands its own values to page formats, and the portions
// and switches of section Navigator. Fixed once after the login and kept for
// the run.

#ifndef TALOR_NAVIGATOR_NAVIGATOR_SETTINGS_H_
#define TALOR_NAVIGATOR_NAVIGATOR_SETTINGS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace talor {

// Page parameters, named after their configuration key without `PARNAME_`.
// The order is the order in which the keys are read.
enum class Param : int {
  SERVERIP,
  SERVERPORT,
  DBNAME_DEFAULT,
  CHECKNAME,
  CHECKPFT,
  PFTNAME_DEFAULT,
  TOPPFTNAME,
  BOTTOMPFTNAME,
  RELOAD,
  COMMAND,
  HINT,
  PATH,
  DBNAME,
  PFTNAME,
  KEY,
  FILENAME,
  SEARCH,
  SEXP,
  QUERY,
  SEARCHNAME,
  MARKWORDS,
  SEARCHFROM,
  SEARCHPORTION,
  SEARCHRESULT,
  URL,
  PREFIX,
  TRUNCATE,
  LOGIC,
  TRMRULE,
  CVALIF,
  TERMIN,
  TRMPREFIX,
  TRMPORTION,
  TRMPREV,
  TRMNEXT,
  LISTNAME,
  FREEPAR,
  ENTRY_MFN,
  ENTRY_FIELD,
  ENTRY_MODE,
  ENTRY_ACTUAL,
  ENTRY_DBNFLC,
  ENTRY_AUTOIN,
  ENTRY_MESSAGE,
  ENTRY_AFTERACTION,
  EXPORT_FROMMFN,
  EXPORT_TOMFN,
  EXPORT_FMT,
  EXPORT_CODE,
  EXPORT_FST,
  EXPORT_FULLTEXT,
  IMPORT_FMT,
  IMPORT_CODE,
  IMPORT_FST,
  ACTION,
  FULLTEXT_Morphology,
  FULLTEXT_MaxWordsDistance,
  FULLTEXT_MaxCountResult,
  USERFUNCTION_USERDLLNAME,
  USERFUNCTION_USERFUNCTIONNAME,
  USERFUNCTION_USERDATA,
  PRINTCOM,
  MODTAG_SEARCH,
  MODTAG_SEXP,
  MODTAG_QUERY,
  MODTAG_SEARCHRESULT,
  MODTAG_SELECTEDRESULT,
  MODTAG_LIST,
  MODTAG_COUNT_END,
  MODTAG_COUNT_BEGIN,
  MODTAG_PORTION,
  MODTAG_MARKWORDS,
  MODTAG_DBNAME,
  MODTAG_TRMPREFIX,
  MODTAG_PFTNAME,
};
inline constexpr size_t kParamCount = static_cast<size_t>(Param::MODTAG_PFTNAME) + 1;

struct ParamNameEntry {
  std::string_view key;          // the settings key, `PARNAME_` + the parameter
  std::string_view defaultName;  // the name pages use when the key is missing
};
// One row per Param, in its order.
extern const std::array<ParamNameEntry, kParamCount> kParamNameTable;

// Navigator tags: the fields of the context record.
enum class Tag : int {
  MODTAG_DBNAME,
  MODTAG_SEARCH,
  MODTAG_SEARCHRESULT,
  MODTAG_SELECTEDRESULT,
  MODTAG_LIST,
  MODTAG_COUNT_END,
  MODTAG_PORTION,
  MODTAG_SEXP,
  MODTAG_COUNT_BEGIN,
  MODTAG_MARKWORDS,
  MODTAG_QUERY,
  MODTAG_TRMPREFIX,
  MODTAG_PFTNAME,
  MODTAG_FREEPAR,
};
inline constexpr size_t kTagCount = static_cast<size_t>(Tag::MODTAG_FREEPAR) + 1;

struct TagEntry {
  std::string_view key;
  int32_t defaultTag;
};
// One row per Tag, in its order.
extern const std::array<TagEntry, kTagCount> kTagTable;

// Reads one value of a settings section; nullopt when the key is missing.
using SettingsLookup = std::function<std::optional<std::string>(std::string_view key)>;

struct NavigatorSettings {
  // The configured page-parameter names (upper-case as configured).
  std::array<std::string, kParamCount> names;
  std::array<int32_t, kTagCount> tags{};

  int32_t trmPortion = 100;
  int32_t searchPortion = 5;
  int32_t barcodeHeight = 40;
  int32_t barcodeType = 0;
  int32_t numbFreePar = 20;
  int32_t maxHistoryTitleLength = 80;
  bool rButtonDown = true;
  int32_t fullTextMaxResult = 100;
  // Section MAIN: the record field that holds record images.
  int32_t tagInternalResource = 953;
  // Section MAIN: the INI file of the sibling desktop client (command 11).
  std::string clientIniForTalorb = "ctalorb.ini";

  // Every value at its default.
  NavigatorSettings();

  const std::string& Name(Param param) const { return names[static_cast<size_t>(param)]; }
  int32_t TagValue(Tag tag) const { return tags[static_cast<size_t>(tag)]; }
};

// Reads the settings from section Navigator (`navigator`) and section MAIN
// (`main`) of the server-provided settings. A missing key keeps its default;
// an integer key whose text is not a decimal number keeps its default; a
// boolean is an integer, 0 being false.
NavigatorSettings ReadNavigatorSettings(const SettingsLookup& navigator,
                                        const SettingsLookup& main);

}  // namespace talor

#endif  // TALOR_NAVIGATOR_NAVIGATOR_SETTINGS_H_
