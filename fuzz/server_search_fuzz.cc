// The search language and the server's format engine on arbitrary text:
// parsing and evaluating must end, bounded, without crashing.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/formatter.h"
#include "server/search_evaluator.h"
#include "server/search_expression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talor::server;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SearchParse parse = ParseSearchExpression(text);
  if (parse.root) {
    PostingSource source = [](std::string_view term, bool truncated) {
      std::vector<Posting> postings;
      for (int32_t mfn = 1; mfn <= static_cast<int32_t>(term.size() % 7); ++mfn)
        postings.push_back({mfn, 200, 1, truncated ? 2 : 1});
      return postings;
    };
    (void)EvaluateSearch(*parse.root, source);
    (void)ExpressionTerms(*parse.root);
  }
  static const StoredRecord record{1, 0, 1, {{200, "^Aa^Bb"}, {200, "c"}, {953, "^Bz"}}};
  BasicFormatter formatter;
  (void)formatter.Format(record, "DEMO", text);
  return 0;
}
