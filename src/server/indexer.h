// Turns a record into the dictionary terms and the full-text body that the
// storage keeps for it. A field selection table (FST) drives the terms: each
// line reads "<tag> <method> <format>"; the format is run on the record and
// every output line becomes terms:
//   method 0  the whole line is one term;
//   method 4  every word of the line is a term; stop words are dropped and
//             take no position.
// A line that starts with a term prefix ("K=", up to five letters or digits
// and `=`) lends that prefix to each of its terms. Terms are upper-cased
// UTF-8 and at most kMaxTermBytes long. The posting of a term carries the
// FST line's tag, the output line number as occurrence (from 1) and the
// word's position in that line (from 1; 1 for whole-line terms).

#ifndef TALOR_SERVER_INDEXER_H_
#define TALOR_SERVER_INDEXER_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "server/formatter.h"
#include "server/stored_record.h"

namespace talor::server {

inline constexpr size_t kMaxTermBytes = 255;
inline constexpr int kMethodWholeLine = 0;
inline constexpr int kMethodWords = 4;

struct FstLine {
  int32_t tag = 0;
  int method = 0;
  std::string format;
};

struct IndexTerm {
  std::string term;
  int32_t tag = 0;
  int32_t occurrence = 0;
  int32_t position = 0;
  bool operator==(const IndexTerm&) const = default;
};

struct IndexEntries {
  std::vector<IndexTerm> terms;
  std::string fullText;  // the words of the record for the full-text index
};

// Parses an FST text. Empty lines, lines starting with `*` or `;` and lines
// whose tag or method is not a number are skipped.
std::vector<FstLine> ParseFst(std::string_view text);

// Upper-case stop words, one a line; empty lines skipped.
std::set<std::string> ParseStopWords(std::string_view text);

// The words of a text: runs of letters (ASCII letters and every byte of a
// multi-byte UTF-8 character) and, separately, runs of digits.
std::vector<std::string_view> SplitIndexWords(std::string_view text);

// Upper-cases and cuts a term to kMaxTermBytes at a character boundary.
std::string NormalizeTerm(std::string_view text);

// Runs the FST on `record`. A logically deleted record has no terms and no
// full text. A line whose format fails adds nothing.
IndexEntries ExtractTerms(const StoredRecord& record, std::string_view database,
                          const std::vector<FstLine>& fst, const std::set<std::string>& stopWords,
                          Formatter& formatter);

// The full-text body of a record: every field value except binary data
// (field 953), subfield marks replaced by blanks.
std::string FullTextBody(const StoredRecord& record);

}  // namespace talor::server

#endif  // TALOR_SERVER_INDEXER_H_
