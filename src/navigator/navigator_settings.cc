#include "navigator/navigator_settings.h"

#include "text/number_text.h"

namespace talor {

const std::array<ParamNameEntry, kParamCount> kParamNameTable = {{
    {"PARNAME_SERVERIP", "SERVERIP"},
    {"PARNAME_SERVERPORT", "SERVERPORT"},
    {"PARNAME_DBNAME_DEFAULT", "DBNAME_DEFAULT"},
    {"PARNAME_CHECKNAME", "CHECKNAME"},
    {"PARNAME_CHECKPFT", "CHECKPFT"},
    {"PARNAME_PFTNAME_DEFAULT", "PFTNAME_DEFAULT"},
    {"PARNAME_TOPPFTNAME", "TOPPFTNAME"},
    {"PARNAME_BOTTOMPFTNAME", "BOTTOMPFTNAME"},
    {"PARNAME_RELOAD", "RELOAD"},
    {"PARNAME_COMMAND", "C21COM"},
    {"PARNAME_HINT", "HINT"},
    {"PARNAME_PATH", "PATH"},
    {"PARNAME_DBNAME", "I21DBN"},
    {"PARNAME_PFTNAME", "PFTNAME"},
    {"PARNAME_KEY", "KEY"},
    {"PARNAME_FILENAME", "FILENAME"},
    {"PARNAME_SEARCH", "S21STR"},
    {"PARNAME_SEXP", "S21ALL"},
    {"PARNAME_QUERY", "QUERY"},
    {"PARNAME_SEARCHNAME", "S21P05"},
    {"PARNAME_MARKWORDS", "S21ALLTRM"},
    {"PARNAME_SEARCHFROM", "S21STN"},
    {"PARNAME_SEARCHPORTION", "S21CNR"},
    {"PARNAME_SEARCHRESULT", "SEARCHRESULT"},
    {"PARNAME_URL", "URL"},
    {"PARNAME_PREFIX", "S21P03"},
    {"PARNAME_TRUNCATE", "S21P02"},
    {"PARNAME_LOGIC", "S21LOG"},
    {"PARNAME_TRMRULE", "S21P01"},
    {"PARNAME_CVALIF", "S21P04"},
    {"PARNAME_TERMIN", "T21TRM"},
    {"PARNAME_TRMPREFIX", "T21PRF"},
    {"PARNAME_TRMPORTION", "T21CNR"},
    {"PARNAME_TRMPREV", "T21PREV"},
    {"PARNAME_TRMNEXT", "T21NEXT"},
    {"PARNAME_LISTNAME", "LISTNAME"},
    {"PARNAME_FREEPAR", "FREEPAR"},
    {"PARNAME_ENTRY_MFN", "ENTRY_MFN"},
    {"PARNAME_ENTRY_FIELD", "R21STR"},
    {"PARNAME_ENTRY_MODE", "R21UPD"},
    {"PARNAME_ENTRY_ACTUAL", "R21IFP"},
    {"PARNAME_ENTRY_DBNFLC", "ENTRY_DBNFLC"},
    {"PARNAME_ENTRY_AUTOIN", "ENTRY_AUTOIN"},
    {"PARNAME_ENTRY_MESSAGE", "ENTRY_MESSAGE"},
    {"PARNAME_ENTRY_AFTERACTION", "ENTRY_AFTERACTION"},
    {"PARNAME_EXPORT_FROMMFN", "EXPORT_FROMMFN"},
    {"PARNAME_EXPORT_TOMFN", "EXPORT_TOMFN"},
    {"PARNAME_EXPORT_FMT", "EXP21FMT"},
    {"PARNAME_EXPORT_CODE", "EXP21CODE"},
    {"PARNAME_EXPORT_FST", "EXP21FST"},
    {"PARNAME_EXPORT_FULLTEXT", "EXPFULLTEXT"},
    {"PARNAME_IMPORT_FMT", "IMP21FMT"},
    {"PARNAME_IMPORT_CODE", "IMP21CODE"},
    {"PARNAME_IMPORT_FST", "IMP21FST"},
    {"PARNAME_ACTION", "ACTION"},
    {"PARNAME_FULLTEXT_Morphology", "FULLTEXT_Morphology"},
    {"PARNAME_FULLTEXT_MaxWordsDistance", "FULLTEXT_MaxWordsDistance"},
    {"PARNAME_FULLTEXT_MaxCountResult", "FULLTEXT_MaxCountResult"},
    {"PARNAME_USERFUNCTION_USERDLLNAME", "USERDLLNAME"},
    {"PARNAME_USERFUNCTION_USERFUNCTIONNAME", "USERFUNCTIONNAME"},
    {"PARNAME_USERFUNCTION_USERDATA", "USERDATA"},
    {"PARNAME_PRINTCOM", "PRINTCOM"},
    {"PARNAME_MODTAG_SEARCH", "MODTAG_SEARCH"},
    {"PARNAME_MODTAG_SEXP", "MODTAG_SEXP"},
    {"PARNAME_MODTAG_QUERY", "MODTAG_QUERY"},
    {"PARNAME_MODTAG_SEARCHRESULT", "MODTAG_SEARCHRESULT"},
    {"PARNAME_MODTAG_SELECTEDRESULT", "MODTAG_SELECTEDRESULT"},
    {"PARNAME_MODTAG_LIST", "MODTAG_LIST"},
    {"PARNAME_MODTAG_COUNT_END", "MODTAG_COUNT_END"},
    {"PARNAME_MODTAG_COUNT_BEGIN", "MODTAG_COUNT_BEGIN"},
    {"PARNAME_MODTAG_PORTION", "MODTAG_PORTION"},
    {"PARNAME_MODTAG_MARKWORDS", "MODTAG_MARKWORDS"},
    {"PARNAME_MODTAG_DBNAME", "MODTAG_DBNAME"},
    {"PARNAME_MODTAG_TRMPREFIX", "MODTAG_TRMPREFIX"},
    {"PARNAME_MODTAG_PFTNAME", "MODTAG_PFTNAME"},
}};

const std::array<TagEntry, kTagCount> kTagTable = {{
    {"MODTAG_DBNAME", 1000},
    {"MODTAG_SEARCH", 1001},
    {"MODTAG_SEARCHRESULT", 1002},
    {"MODTAG_SELECTEDRESULT", 1003},
    {"MODTAG_LIST", 1004},
    {"MODTAG_COUNT_END", 1005},
    {"MODTAG_PORTION", 1006},
    {"MODTAG_SEXP", 1007},
    {"MODTAG_COUNT_BEGIN", 1008},
    {"MODTAG_MARKWORDS", 1009},
    {"MODTAG_QUERY", 1010},
    {"MODTAG_TRMPREFIX", 1011},
    {"MODTAG_PFTNAME", 1012},
    {"MODTAG_FREEPAR", 1100},
}};

namespace {

int32_t ReadInteger(const SettingsLookup& section, std::string_view key, int32_t fallback) {
  std::optional<std::string> text = section(key);
  return text ? DecimalToInt(*text, fallback) : fallback;
}

}  // namespace

NavigatorSettings::NavigatorSettings() {
  for (size_t i = 0; i < kParamCount; ++i) names[i] = kParamNameTable[i].defaultName;
  for (size_t i = 0; i < kTagCount; ++i) tags[i] = kTagTable[i].defaultTag;
}

NavigatorSettings ReadNavigatorSettings(const SettingsLookup& navigator,
                                        const SettingsLookup& main) {
  NavigatorSettings settings;
  for (size_t i = 0; i < kParamCount; ++i) {
    // A name must be something a page can write: an empty one keeps the default.
    std::optional<std::string> name = navigator(kParamNameTable[i].key);
    if (name && !name->empty()) settings.names[i] = *name;
  }
  for (size_t i = 0; i < kTagCount; ++i) {
    settings.tags[i] = ReadInteger(navigator, kTagTable[i].key, kTagTable[i].defaultTag);
  }
  settings.trmPortion = ReadInteger(navigator, "TRMPORTION", settings.trmPortion);
  settings.searchPortion = ReadInteger(navigator, "SEARCHPORTION", settings.searchPortion);
  settings.barcodeHeight = ReadInteger(navigator, "BARCODEHEIGHT", settings.barcodeHeight);
  settings.barcodeType = ReadInteger(navigator, "BARCODETYPE", settings.barcodeType);
  settings.numbFreePar = ReadInteger(navigator, "NUMBFREEPAR", settings.numbFreePar);
  settings.maxHistoryTitleLength =
      ReadInteger(navigator, "MAXHISTORYTITLELENGTH", settings.maxHistoryTitleLength);
  settings.rButtonDown = ReadInteger(navigator, "RBUTTONDOWN", 1) != 0;
  settings.fullTextMaxResult =
      ReadInteger(navigator, "FULLTEXTMAXRESULT", settings.fullTextMaxResult);
  settings.tagInternalResource =
      ReadInteger(main, "TagInternalResource", settings.tagInternalResource);
  if (std::optional<std::string> ini = main("ClientIniForTalorb"); ini && !ini->empty()) {
    settings.clientIniForTalorb = *ini;
  }
  return settings;
}

}  // namespace talor
