// Dictionary commands: H and P (terms forward and backward), I (postings),
// K (search).

#include <algorithm>

#include "server/format_loader.h"
#include "server/return_codes.h"
#include "server/search_evaluator.h"
#include "server/service.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

// The hits [first, first + count) of `all`, 1-based; count 0 means all.
std::vector<int32_t> Portion(const MfnSet& all, int32_t first, int32_t count) {
  uint64_t begin = static_cast<uint64_t>(std::max(first, 1) - 1);
  uint64_t size = count <= 0 ? all.Count() : static_cast<uint64_t>(count);
  return all.Portion(begin, std::min<uint64_t>(size, kMaxFormattedRecords));
}

}  // namespace

// H and P: database, start term, count, and an optional format.
// Answer: 0 when the start term is in the dictionary, TermAbsent when not;
// then "count#term" per term, from the start term on (P: backward, in
// descending order). With a format: "count#text#term", the text being the
// format's output for the first record of the term's postings.
Answer Service::ReadTerms(Call& call, bool forward) {
  const Request& request = call.request;
  std::string_view database = request.Parameter(0);
  if (!storage_.HasDatabase(database)) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  std::string start = Utf8UpperCase(request.Parameter(1));
  std::optional<int32_t> count = ParseInt(request.Parameter(2));
  if (!count || *count < 0) return CodeAnswer(Code(ReturnCode::BadParameters));
  int portion = std::clamp(*count, 1, kMaxTermPortion);
  std::string format = LoadFormat(files_, database, request.Parameter(3));

  std::vector<TermCount> terms = storage_.Terms(database, start, portion, forward);
  bool startExists = !terms.empty() && terms.front().term == start;
  Answer answer = CodeAnswer(startExists ? Code(ReturnCode::Ok) : Code(ReturnCode::TermAbsent));
  for (const TermCount& term : terms) {
    std::string line = std::to_string(term.count) + "#";
    if (!format.empty()) {
      std::vector<Posting> first = storage_.Postings(database, term.term, false, 1);
      std::optional<StoredRecord> record =
          first.empty() ? std::nullopt : LoadRecord(database, first.front().mfn);
      if (record) line += FormatLine(*record, database, format);
      line += "#";
    }
    line += term.term;
    answer.lines.Add(std::move(line), static_cast<int32_t>(term.count));
  }
  return answer;
}

// I: database, first posting (from 1), count (0 = all), format, term.
// Answer: 0 (TermAbsent when the term has no postings), then
// "MFN#tag#occurrence#position" per posting, with "#text" added when a
// format is given.
Answer Service::ReadPostings(Call& call) {
  const Request& request = call.request;
  std::string_view database = request.Parameter(0);
  if (!storage_.HasDatabase(database)) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  std::optional<int32_t> first = ParseInt(request.Parameter(1));
  std::optional<int32_t> count = ParseInt(request.Parameter(2));
  if (!first || !count) return CodeAnswer(Code(ReturnCode::BadParameters));
  std::string format = LoadFormat(files_, database, request.Parameter(3));
  std::string term = Utf8UpperCase(request.Parameter(4));
  bool truncated = !term.empty() && term.back() == '$';
  if (truncated) term.pop_back();
  if (term.empty()) return CodeAnswer(Code(ReturnCode::BadParameters));

  std::vector<Posting> postings = storage_.Postings(database, term, truncated);
  if (postings.empty()) return CodeAnswer(Code(ReturnCode::TermAbsent));
  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  size_t begin = static_cast<size_t>(std::max(*first, 1) - 1);
  size_t end = *count <= 0 ? postings.size()
                           : std::min(postings.size(), begin + static_cast<size_t>(*count));
  if (!format.empty()) end = std::min(end, begin + kMaxFormattedRecords);
  for (size_t i = begin; i < end; ++i) {
    if (call.cancel.stop.load()) break;
    const Posting& p = postings[i];
    std::string line = std::to_string(p.mfn) + "#" + std::to_string(p.tag) + "#" +
                       std::to_string(p.occurrence) + "#" + std::to_string(p.position);
    if (!format.empty()) {
      line += "#";
      if (std::optional<StoredRecord> record = LoadRecord(database, p.mfn))
        line += FormatLine(*record, database, format);
    }
    answer.lines.Add(std::move(line), p.mfn);
  }
  return answer;
}

std::optional<MfnSet> Service::SearchHits(std::string_view database, const SearchNode& root,
                                          Call& call, int32_t& failure) {
  std::unique_ptr<TermIndex> index = storage_.SearchIndex(database);
  SearchResult result;
  result.status = SearchStatus::Failed;
  if (index) result = EvaluateSearch(root, *index, &call.cancel.stop);
  if (result.status == SearchStatus::Done) return std::move(result.hits);
  failure = Code(result.status == SearchStatus::Cancelled ? ReturnCode::Interrupted
                                                          : ReturnCode::StorageFailed);
  return std::nullopt;
}

// K: database, expression, count (0 = all), first hit (from 1), format.
// Answer: 0, the number of hits, then "MFN#text" per hit shown.
Answer Service::Search(Call& call) {
  const Request& request = call.request;
  std::string database(request.Parameter(0));
  if (!storage_.HasDatabase(database)) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  std::optional<int32_t> count = ParseInt(request.Parameter(2));
  std::optional<int32_t> first = ParseInt(request.Parameter(3));
  if (!count || (!request.Parameter(3).empty() && !first))
    return CodeAnswer(Code(ReturnCode::BadParameters));
  SearchParse parse = ParseSearchExpression(request.Parameter(1));
  if (!parse.root) return CodeAnswer(Code(ReturnCode::SearchSyntax));
  int32_t failure = 0;
  std::optional<MfnSet> hits = SearchHits(database, *parse.root, call, failure);
  if (!hits) return CodeAnswer(failure);
  std::string format = LoadFormat(files_, database, request.Parameter(4));
  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  answer.lines.Add(std::to_string(hits->Count()));
  for (int32_t mfn : Portion(*hits, first.value_or(1), *count)) {
    if (call.cancel.stop.load()) {
      if (call.cancel.level.load() >= kStopAbort) return CodeAnswer(Code(ReturnCode::Interrupted));
      break;
    }
    std::string text;
    if (!format.empty()) {
      if (std::optional<StoredRecord> record = LoadRecord(database, mfn))
        text = FormatLine(*record, database, format);
    }
    answer.lines.Add(std::to_string(mfn) + "#" + text, mfn);
  }
  return answer;
}

}  // namespace talor::server
