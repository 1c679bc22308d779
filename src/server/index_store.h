// The term index in SQLite (docs/server-storage.md, "Term index"): for each
// database, term and chunk of 65536 MFNs one row of `term_chunks` with the
// chunk's records as a compressed MFN set, and one row of `term_positions`
// with the chunk's postings (posting_codec.h), read only when a search
// needs positions; `term_counts` keeps each term's number of postings for
// the term list.
//
// None of these classes opens or ends a transaction: the storage runs them
// inside its own, so that a record and its index entries are committed
// together.

#ifndef TALOR_SERVER_INDEX_STORE_H_
#define TALOR_SERVER_INDEX_STORE_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "server/indexer.h"
#include "server/sqlite.h"
#include "server/term_index.h"

namespace talor::server {

// MFNs [chunk * kChunkSpan, (chunk + 1) * kChunkSpan) share a chunk.
inline constexpr int kChunkBits = 16;
inline int32_t ChunkOf(int32_t mfn) { return mfn >> kChunkBits; }

// Reads the term index of one database on one connection.
class SqliteTermIndex : public TermIndex {
 public:
  SqliteTermIndex(SqliteConnection& db, int64_t dbId) : db_(db), dbId_(dbId) {}

  std::optional<MfnSet> Records(std::string_view term, bool truncated) override;
  std::optional<std::vector<Posting>> Postings(std::string_view term, bool truncated,
                                               const MfnSet& within) override;
  // Every posting of the term, sorted; at most `limit` when limit > 0.
  std::optional<std::vector<Posting>> AllPostings(std::string_view term, bool truncated,
                                                  size_t limit);

 private:
  SqliteConnection& db_;
  const int64_t dbId_;
};

// Changes to the index made by record writes in one transaction. The chunks
// that a change touches are read once, changed in memory, and written back
// by Flush, so a batch of records rewrites each chunk once.
class IndexChanges {
 public:
  IndexChanges(SqliteConnection& db, int64_t dbId) : db_(db), dbId_(dbId) {}

  // Removes every posting of record `mfn` under the terms of `oldTerms` and
  // adds `newTerms` (sorted, without repeats). False when the index cannot
  // be read.
  bool Replace(int32_t mfn, const std::vector<IndexTerm>& oldTerms,
               const std::vector<IndexTerm>& newTerms);
  // Writes the changed chunks and term counts. False on a storage failure.
  bool Flush();

 private:
  struct Chunk {
    std::vector<Posting> postings;
    bool changed = false;
  };
  Chunk* Load(const std::string& term, int32_t chunk);
  bool Change(const std::string& term, int32_t mfn, const std::vector<Posting>& postings);

  SqliteConnection& db_;
  const int64_t dbId_;
  std::map<std::pair<std::string, int32_t>, Chunk> chunks_;
  std::map<std::string, int64_t> countChanges_;
};

// Builds the index of a database whose index is empty from its records
// given in ascending MFN order. Postings are collected for one chunk of
// MFNs at a time, so memory stays bounded by one chunk's postings; when the
// records pass into the next chunk, every term's row of the finished chunk
// is written once, in term order.
class IndexBuilder {
 public:
  IndexBuilder(SqliteConnection& db, int64_t dbId) : db_(db), dbId_(dbId) {}

  // REQUIRES: `mfn` above every MFN added before; `terms` sorted, without
  // repeats. False on a storage failure or an MFN out of order.
  bool Add(int32_t mfn, const std::vector<IndexTerm>& terms);
  // Writes the last chunk and the term counts.
  bool Finish();

 private:
  bool FlushChunk();

  struct Term {
    std::vector<Posting> chunkPostings;  // in the current chunk
    int64_t count = 0;                   // in every chunk so far
  };

  SqliteConnection& db_;
  const int64_t dbId_;
  int32_t lastMfn_ = 0;
  int32_t chunk_ = -1;
  std::unordered_map<std::string, Term> terms_;
};

// Removes every term index row of a database.
bool ClearIndex(SqliteConnection& db, int64_t dbId);

}  // namespace talor::server

#endif  // TALOR_SERVER_INDEX_STORE_H_
