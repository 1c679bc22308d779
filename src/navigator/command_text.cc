#include "navigator/command_text.h"

#include "text/number_text.h"
#include "text/url_coding.h"

namespace talor {
namespace {

constexpr std::string_view kDefaultDatabase = "DEMO";
constexpr char kFormatNameStart = '\x1C';
constexpr char kFormatNameEnd = '\x1D';

// `&` + the configured name of `param` + `=` + `value`.
std::string QueryPair(const NavigatorSettings& settings, Param param, std::string_view value) {
  return "&" + settings.Name(param) + "=" + std::string(value);
}

// The tail that both follow-up pseudo-URLs share: the top and bottom formats
// and the print switch of the current page, then the free parameters.
std::string FollowUpTail(const ParameterSet& params, const NavigatorSettings& settings,
                         const std::vector<FreeParameter>& freeParameters) {
  std::string tail;
  for (Param param : {Param::TOPPFTNAME, Param::BOTTOMPFTNAME, Param::PRINTCOM}) {
    tail += QueryPair(settings, param, params.Get(settings, param));
  }
  return tail + FreeParameterQuery(freeParameters, settings);
}

}  // namespace

std::string ResolvedDatabase(const ParameterSet& params, const NavigatorSettings& settings,
                             std::string_view currentDbName) {
  std::string database = params.Get(settings, Param::DBNAME);
  if (database.empty()) database = currentDbName;
  if (database.empty()) database = kDefaultDatabase;
  return database;
}

int32_t ResolvedPortion(const ParameterSet& params, const NavigatorSettings& settings) {
  return DecimalToInt(params.Get(settings, Param::SEARCHPORTION), settings.searchPortion);
}

std::vector<FreeParameter> ReadFreeParameters(const ParameterSet& params,
                                              const NavigatorSettings& settings) {
  std::vector<FreeParameter> freeParameters;
  const std::string& stem = settings.Name(Param::FREEPAR);
  for (int n = 0; n < settings.numbFreePar; ++n) {
    std::string value = params.GetParam(stem + std::to_string(n));
    if (!value.empty()) freeParameters.push_back({std::move(value), n});
  }
  return freeParameters;
}

std::string FormatSpec(const std::vector<FreeParameter>& freeParameters,
                       const NavigatorSettings& settings, std::string_view formatName) {
  if (freeParameters.empty() || formatName.empty()) return "@" + std::string(formatName);
  std::string lines;
  for (const FreeParameter& parameter : freeParameters) {
    lines += std::to_string(settings.TagValue(Tag::MODTAG_FREEPAR) + parameter.n) + "#" +
             parameter.value + "\r\n";
  }
  return "&uf('+7'),&uf('+99" + UrlEncode(lines) + "')," + kFormatNameStart +
         std::string(formatName) + kFormatNameEnd;
}

std::string FreeParameterQuery(const std::vector<FreeParameter>& freeParameters,
                               const NavigatorSettings& settings) {
  std::string query;
  const std::string& stem = settings.Name(Param::FREEPAR);
  for (size_t i = 0; i < freeParameters.size(); ++i) {
    query += "&" + stem + std::to_string(i) + "=" + UrlEncode(freeParameters[i].value);
  }
  return query;
}

std::string FollowUpSearchUrl(const ParameterSet& params, const NavigatorSettings& settings,
                              std::string_view database, std::string_view formatName, int32_t count,
                              const std::vector<FreeParameter>& freeParameters) {
  std::string url = "TALOR:?" + settings.Name(Param::COMMAND) + "=2";
  url += QueryPair(settings, Param::DBNAME, database);
  url += QueryPair(settings, Param::PFTNAME, formatName);
  url += QueryPair(settings, Param::SEARCHFROM, std::to_string(count));
  // The portion the current page resolved (its SEARCHPORTION parameter, else
  // the setting), so the new page shows as many hits even when the current
  // one relied on the setting.
  url +=
      QueryPair(settings, Param::SEARCHPORTION, std::to_string(ResolvedPortion(params, settings)));
  return url + FollowUpTail(params, settings, freeParameters);
}

std::string FollowUpRecordUrl(const ParameterSet& params, const NavigatorSettings& settings,
                              std::string_view database, std::string_view formatName, int32_t mfn,
                              const std::vector<FreeParameter>& freeParameters) {
  std::string url =
      "TALOR:?" + settings.Name(Param::RELOAD) + "=" + params.Get(settings, Param::RELOAD);
  url += QueryPair(settings, Param::COMMAND, "1");
  url += QueryPair(settings, Param::DBNAME, database);
  url += QueryPair(settings, Param::PFTNAME, formatName);
  url += QueryPair(settings, Param::ENTRY_MFN, std::to_string(mfn));
  return url + FollowUpTail(params, settings, freeParameters);
}

}  // namespace talor
