// R: full-text search over the FTS5 index.

#include <algorithm>

#include "server/format_loader.h"
#include "server/return_codes.h"
#include "server/search_evaluator.h"
#include "server/service.h"
#include "text/encoding.h"
#include "text/stemmer.h"

namespace talor::server {

namespace {

// Parts of the settings line, separated by byte 31.
enum SettingsPart {
  kQuery = 0,
  kSecondQuery = 1,
  kMorphology = 2,
  kPrefix = 3,
  kDistance = 4,
  kExtra = 5,
  kLimit = 6,
};
constexpr char kSettingsSeparator = 31;
constexpr int kDefaultLimit = 100;
constexpr int kMaxLimit = 32000;
// Words of this many bytes or fewer are searched whole even with morphology.
constexpr size_t kShortWordBytes = 8;
constexpr size_t kMaxQueryWords = 64;

std::vector<std::string> SplitSettings(std::string_view line) {
  std::vector<std::string> parts;
  while (true) {
    size_t sep = line.find(kSettingsSeparator);
    parts.emplace_back(line.substr(0, sep));
    if (sep == std::string_view::npos) break;
    line.remove_prefix(sep + 1);
  }
  return parts;
}

// The word without the inflexional ending that the Russian stemmer finds;
// words of kShortWordBytes or fewer stay whole.
std::string Stem(const std::string& word) {
  if (word.size() <= kShortWordBytes) return word;
  std::string ansi = Utf8ToAnsi(word);
  int cut = StemCut(ansi);
  if (cut <= 0 || static_cast<size_t>(cut) >= ansi.size()) return word;
  return AnsiToUtf8(std::string_view(ansi).substr(0, ansi.size() - static_cast<size_t>(cut)));
}

}  // namespace

// R: database, expression, portion, first hit, format, "0", "0", optional
// text, settings line. Answer: 0, the number of hits (at most the limit),
// then "MFN#words#text" per hit shown, words being the query words joined
// by `+` (a truncated word ends with `$`).
Answer Service::FullTextSearch(Call& call) {
  const Request& request = call.request;
  std::string database(request.Parameter(0));
  if (!storage_.HasDatabase(database)) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  std::optional<int32_t> portion = ParseInt(request.Parameter(2));
  std::optional<int32_t> first = ParseInt(request.Parameter(3));
  if (!portion || !first) return CodeAnswer(Code(ReturnCode::BadParameters));
  std::vector<std::string> settings = SplitSettings(request.Parameter(8));
  settings.resize(std::max<size_t>(settings.size(), kLimit + 1));
  bool morphology = settings[kMorphology] == "1";
  int distance = ParseInt(settings[kDistance]).value_or(-1);
  int limit = ParseInt(settings[kLimit]).value_or(kDefaultLimit);
  if (limit < 1 || limit > kMaxLimit) limit = kDefaultLimit;

  std::set<std::string> stopWords = StopWords(database);
  std::vector<std::string> words;
  std::string query = settings[kQuery] + " " + settings[kSecondQuery];
  for (std::string_view word : SplitIndexWords(query)) {
    std::string upper = NormalizeTerm(word);
    if (stopWords.contains(upper) || upper.size() < 2) continue;
    if (std::find(words.begin(), words.end(), upper) != words.end()) continue;
    if (words.size() < kMaxQueryWords) words.push_back(upper);
  }
  if (words.empty()) {
    Answer answer = CodeAnswer(Code(ReturnCode::Ok));
    answer.lines.Add("0");
    return answer;
  }

  std::string fts;
  std::string marks;
  for (const std::string& word : words) {
    std::string stem = morphology ? Stem(word) : word;
    bool truncated = stem != word;
    if (!fts.empty()) fts += ' ';
    fts += '"' + stem + '"' + (truncated ? "*" : "");
    if (!marks.empty()) marks += '+';
    marks += stem + (truncated ? "$" : "");
  }
  if (distance >= 0 && words.size() > 1)
    fts = "NEAR(" + fts + ", " + std::to_string(distance) + ")";

  std::optional<std::vector<FullTextHit>> hits = storage_.FullText(database, fts, limit);
  if (!hits) return CodeAnswer(Code(ReturnCode::SearchSyntax));
  std::vector<int32_t> mfns;
  for (const FullTextHit& hit : *hits) mfns.push_back(hit.mfn);

  std::string_view expression = request.Parameter(1);
  if (!expression.empty()) {
    SearchParse parse = ParseSearchExpression(expression);
    if (!parse.root) return CodeAnswer(Code(ReturnCode::SearchSyntax));
    int32_t failure = 0;
    std::optional<MfnSet> allowed = SearchHits(database, *parse.root, call, failure);
    if (!allowed) return CodeAnswer(failure);
    std::erase_if(mfns, [&](int32_t mfn) { return !allowed->Contains(mfn); });
  }

  std::string format = LoadFormat(files_, database, request.Parameter(4));
  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  answer.lines.Add(std::to_string(mfns.size()));
  size_t begin = static_cast<size_t>(std::max(*first, 1) - 1);
  size_t end =
      *portion <= 0 ? mfns.size() : std::min(mfns.size(), begin + static_cast<size_t>(*portion));
  for (size_t i = begin; i < end; ++i) {
    if (call.cancel.stop.load()) {
      if (call.cancel.level.load() >= kStopAbort) return CodeAnswer(Code(ReturnCode::Interrupted));
      break;
    }
    std::string text;
    if (std::optional<StoredRecord> record = LoadRecord(database, mfns[i]))
      text = FormatLine(*record, database, format);
    answer.lines.Add(std::to_string(mfns[i]) + "#" + marks + "#" + text, mfns[i]);
  }
  return answer;
}

}  // namespace talor::server
