// The parameter set of a pseudo-URL: the pairs that its head, its query and
// its multipart form data carry, in that order, and the lookups every command
// reads them with. Also the conversions between a view's POST data and text.
//
// Names and values are byte strings; values are UTF-8 where a page writes
// non-ASCII text (pages percent-encode UTF-8 in URLs and forms).

#ifndef TALOR_NAVIGATOR_PARAMETERS_H_
#define TALOR_NAVIGATOR_PARAMETERS_H_

#include <string>
#include <string_view>
#include <vector>

#include "navigator/navigator_settings.h"

namespace talor {

class ParameterSet {
 public:
  struct Pair {
    std::string name;
    std::string value;
    bool operator==(const Pair&) const = default;
  };

  void Clear() { pairs_.clear(); }
  void Add(std::string name, std::string value) {
    pairs_.push_back({std::move(name), std::move(value)});
  }
  const std::vector<Pair>& pairs() const { return pairs_; }

  // The value of the first pair whose name equals `name` without regard to
  // (ASCII) letter case; empty when there is none.
  std::string GetParam(std::string_view name) const;
  // GetParam under the configured name of `param`.
  std::string Get(const NavigatorSettings& settings, Param param) const {
    return GetParam(settings.Name(param));
  }
  // Replaces the value of the first pair named `name` (case as GetParam);
  // adds the pair when there is none.
  void SetParam(std::string_view name, std::string value);

  // The `n`-th pair (from 1) whose upper-cased name contains `pattern`:
  // its value and the part of its name in front of the pattern. Both empty
  // when there is no such pair.
  struct Like {
    std::string value;
    std::string prefix;
  };
  Like FindParamLike(std::string_view pattern, int n) const;

 private:
  std::vector<Pair> pairs_;
};

// Fills `params` (cleared first) from a navigation's URL and POST text (the
// text from PostDataToText):
//   head    after the 6-character scheme, comma-separated fields whose
//           meaning depends on the command in field 1 (0: URL; 3: PATH,
//           DBNAME, FILENAME by path number; others: DBNAME, PFTNAME, KEY);
//   query   the text after the first `?`, split at `&`, then form-decoded,
//           one NAME=VALUE pair a line;
//   POST    a multipart form-data body, read in groups of four lines
//           (boundary, Content-Disposition with name="...", blank, value).
// `currentDbName` stands for an empty database field of command 3.
// The URL is taken as bytes; the navigator's URLs are UTF-8 throughout.
void ParseNavigationParams(std::string_view url, std::string_view postText,
                           const NavigatorSettings& settings, std::string_view currentDbName,
                           ParameterSet& params);

// POST data to text: lines split at CR, LF or CR LF and joined with CR LF,
// without a final CR LF. Empty data gives the empty text.
std::string PostDataToText(std::string_view postData);
// Text to POST data: the text followed by CR LF; the empty text gives empty
// data.
std::string TextToPostData(std::string_view text);

// `text` with the ASCII letters upper-cased and every other byte as it is
// (UTF-8 text stays valid). Parameter names are compared this way.
std::string AsciiUpperCase(std::string_view text);

// The pseudo-URL schemes, compared without regard to case.
bool IsPseudoUrl(std::string_view url);     // "TALOR:"
bool IsTalorFileUrl(std::string_view url);  // "TALORFILE:"

}  // namespace talor

#endif  // TALOR_NAVIGATOR_PARAMETERS_H_
