// Any pseudo-URL and form data: the parameter set, the search expression
// built from it and the follow-up address must come out without a crash, and
// POST text must survive its way to POST data and back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "navigator/command_text.h"
#include "navigator/parameters.h"
#include "navigator/search_expression.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talor;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line is the address, the rest the POST body.
  const size_t newline = input.find('\n');
  const std::string_view url = input.substr(0, newline);
  const std::string_view post =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  static const NavigatorSettings settings;
  ParameterSet params;
  ParseNavigationParams(url, PostDataToText(post), settings, "DEMO", params);
  Check(PostDataToText(TextToPostData(PostDataToText(post))) == PostDataToText(post));

  SearchSources sources;
  sources.stopWords = [] { return StringList{{"И", 0}, {"В", 0}}; };
  sources.selection = [] { return StringList{{"1", 0}, {"2", 0}}; };
  SearchExpression built =
      BuildSearchExpression(params, settings, sources, "", params.Get(settings, Param::SEXP),
                            params.Get(settings, Param::QUERY));
  (void)built;
  std::vector<FreeParameter> free = ReadFreeParameters(params, settings);
  (void)FormatSpec(free, settings, params.Get(settings, Param::PFTNAME));
  (void)FollowUpSearchUrl(params, settings, "DEMO", "brief", 5, free);
  return 0;
}
