// R: full-text search over the FTS5 index.

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

// What the settings line asks for: the query words (upper case, without stop
// words, one-letter words and repeats), whether to cut their endings, the
// greatest distance between them (-1: any) and the most hits to give.
struct FullTextRequest {
  std::vector<std::string> words;
  bool morphology = false;
  int distance = -1;
  int limit = kDefaultLimit;
};

FullTextRequest ReadFullTextRequest(std::string_view line, const std::set<std::string>& stopWords) {
  std::vector<std::string> settings = SplitSettings(line);
  settings.resize(std::max<size_t>(settings.size(), kLimit + 1));
  FullTextRequest request;
  request.morphology = settings[kMorphology] == "1";
  request.distance = ParseInt(settings[kDistance]).value_or(-1);
  request.limit = ParseInt(settings[kLimit]).value_or(kDefaultLimit);
  if (request.limit < 1 || request.limit > kMaxLimit) request.limit = kDefaultLimit;
  const std::string query = settings[kQuery] + " " + settings[kSecondQuery];
  for (std::string_view word : SplitIndexWords(query)) {
    std::string upper = NormalizeTerm(word);
    if (stopWords.contains(upper) || upper.size() < 2) continue;
    if (std::find(request.words.begin(), request.words.end(), upper) != request.words.end())
      continue;
    if (request.words.size() < kMaxQueryWords) request.words.push_back(upper);
  }
  return request;
}

// The FTS5 match expression of the words (a stem is a prefix query; with a
// distance the words must be that near), and the marks that the answer's
// lines carry for highlighting: the words joined by `+`, a stem ending in `$`.
struct FullTextQuery {
  std::string match;
  std::string marks;
};

FullTextQuery BuildFullTextQuery(const FullTextRequest& request) {
  FullTextQuery query;
  for (const std::string& word : request.words) {
    std::string stem = request.morphology ? Stem(word) : word;
    bool truncated = stem != word;
    if (!query.match.empty()) query.match += ' ';
    query.match += '"' + stem + '"' + (truncated ? "*" : "");
    if (!query.marks.empty()) query.marks += '+';
    query.marks += stem + (truncated ? "$" : "");
  }
  if (request.distance >= 0 && request.words.size() > 1)
    query.match = "NEAR(" + query.match + ", " + std::to_string(request.distance) + ")";
  return query;
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
  const FullTextRequest query = ReadFullTextRequest(request.Parameter(8), StopWords(database));
  if (query.words.empty()) {
    Answer answer = CodeAnswer(Code(ReturnCode::Ok));
    answer.lines.Add("0");
    return answer;
  }
  const FullTextQuery fts = BuildFullTextQuery(query);

  std::optional<std::vector<FullTextHit>> hits =
      storage_.FullText(database, fts.match, query.limit);
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
    answer.lines.Add(std::to_string(mfns[i]) + "#" + fts.marks + "#" + text, mfns[i]);
  }
  return answer;
}

}  // namespace talor::server
