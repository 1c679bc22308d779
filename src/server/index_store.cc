#include "server/index_store.h"

#include <sqlite3.h>

#include <algorithm>

#include "server/posting_codec.h"

namespace talor::server {

namespace {

constexpr std::string_view kChunkRecords =
    "SELECT mfns FROM term_chunks WHERE db = ?1 AND term = ?2";
constexpr std::string_view kRangeRecords =
    "SELECT mfns FROM term_chunks WHERE db = ?1 AND term >= ?2 AND term < ?3";
constexpr std::string_view kChunkPostings =
    "SELECT chunk, postings FROM term_positions WHERE db = ?1 AND term = ?2";
constexpr std::string_view kRangePostings =
    "SELECT chunk, postings FROM term_positions WHERE db = ?1 AND term >= ?2 AND term < ?3";
constexpr std::string_view kOneChunk =
    "SELECT postings FROM term_positions WHERE db = ?1 AND term = ?2 AND chunk = ?3";
constexpr std::string_view kPutRecords =
    "INSERT OR REPLACE INTO term_chunks VALUES(?1, ?2, ?3, ?4)";
constexpr std::string_view kPutPostings =
    "INSERT OR REPLACE INTO term_positions VALUES(?1, ?2, ?3, ?4)";
constexpr std::string_view kDropRecords =
    "DELETE FROM term_chunks WHERE db = ?1 AND term = ?2 AND chunk = ?3";
constexpr std::string_view kDropPostings =
    "DELETE FROM term_positions WHERE db = ?1 AND term = ?2 AND chunk = ?3";
constexpr std::string_view kAddCount =
    "INSERT INTO term_counts VALUES(?1, ?2, ?3) ON CONFLICT(db, term) DO UPDATE SET n = n + "
    "excluded.n";
constexpr std::string_view kDropEmptyCount =
    "DELETE FROM term_counts WHERE db = ?1 AND term = ?2 AND n <= 0";

// Binds the database and the term, or the term range of a truncated term:
// from the prefix up to the prefix followed by byte 0xFF, which UTF-8 text
// never holds.
void BindTerm(SqliteStatement& query, int64_t dbId, std::string_view term, bool truncated) {
  query.Bind(1, dbId).BindBlob(2, term);
  if (truncated) query.BindBlob(3, std::string(term) + '\xFF');
}

bool ChunkIntersects(const MfnSet& within, int64_t chunk) {
  if (chunk < 0 || chunk > ChunkOf(INT32_MAX)) return false;
  int64_t first = chunk << kChunkBits;
  int64_t last = std::min<int64_t>(first + (int64_t{1} << kChunkBits) - 1, INT32_MAX);
  return within.Intersects(static_cast<int32_t>(first), static_cast<int32_t>(last));
}

std::vector<int32_t> MfnsOf(const std::vector<Posting>& postings) {
  std::vector<int32_t> mfns;
  for (const Posting& p : postings)
    if (mfns.empty() || mfns.back() != p.mfn) mfns.push_back(p.mfn);
  return mfns;
}

// Writes one term's chunk, or removes it when it has no postings left.
bool PutChunk(SqliteConnection& db, int64_t dbId, std::string_view term, int32_t chunk,
              const std::vector<Posting>& postings) {
  bool drop = postings.empty();
  CachedStatement records = db.Cached(drop ? kDropRecords : kPutRecords);
  CachedStatement positions = db.Cached(drop ? kDropPostings : kPutPostings);
  if (!records.IsValid() || !positions.IsValid()) return false;
  records->Bind(1, dbId).BindBlob(2, term).Bind(3, chunk);
  positions->Bind(1, dbId).BindBlob(2, term).Bind(3, chunk);
  if (!drop) {
    records->BindBlob(4, MfnSet::Of(MfnsOf(postings)).Serialize());
    positions->BindBlob(4, EncodePostings(postings));
  }
  return records->Run() && positions->Run();
}

bool AddCount(SqliteConnection& db, int64_t dbId, std::string_view term, int64_t delta) {
  CachedStatement add = db.Cached(kAddCount);
  if (!add.IsValid() || !add->Bind(1, dbId).BindBlob(2, term).Bind(3, delta).Run()) return false;
  if (delta > 0) return true;
  CachedStatement drop = db.Cached(kDropEmptyCount);
  return drop.IsValid() && drop->Bind(1, dbId).BindBlob(2, term).Run();
}

}  // namespace

std::optional<MfnSet> SqliteTermIndex::Records(std::string_view term, bool truncated) {
  CachedStatement query = db_.Cached(truncated ? kRangeRecords : kChunkRecords);
  if (!query.IsValid()) return std::nullopt;
  BindTerm(*query, dbId_, term, truncated);
  std::vector<MfnSet> chunks;
  while (query->Step()) {
    std::optional<MfnSet> chunk = MfnSet::Deserialize(query->Blob(0));
    if (!chunk) return std::nullopt;
    chunks.push_back(std::move(*chunk));
  }
  if (!query->Done()) return std::nullopt;
  if (chunks.size() == 1) return std::move(chunks.front());
  return MfnSet::UnionOf(chunks);
}

std::optional<std::vector<Posting>> SqliteTermIndex::Postings(std::string_view term, bool truncated,
                                                              const MfnSet& within) {
  CachedStatement query = db_.Cached(truncated ? kRangePostings : kChunkPostings);
  if (!query.IsValid()) return std::nullopt;
  BindTerm(*query, dbId_, term, truncated);
  std::vector<Posting> postings;
  auto wanted = [&](int32_t mfn) { return within.Contains(mfn); };
  while (query->Step()) {
    if (!ChunkIntersects(within, query->Int(0))) continue;
    if (!DecodePostings(query->Blob(1), postings, wanted)) return std::nullopt;
  }
  if (!query->Done()) return std::nullopt;
  // One term's chunks come in MFN order; several terms' need sorting.
  if (truncated) std::sort(postings.begin(), postings.end());
  return postings;
}

std::optional<std::vector<Posting>> SqliteTermIndex::AllPostings(std::string_view term,
                                                                 bool truncated, size_t limit) {
  CachedStatement query = db_.Cached(truncated ? kRangePostings : kChunkPostings);
  if (!query.IsValid()) return std::nullopt;
  BindTerm(*query, dbId_, term, truncated);
  std::vector<Posting> postings;
  // One term's chunks come in MFN order, so its first postings are in its
  // first chunks.
  bool enough = false;
  while (!enough && query->Step()) {
    if (!DecodePostings(query->Blob(1), postings)) return std::nullopt;
    enough = !truncated && limit > 0 && postings.size() >= limit;
  }
  if (!enough && !query->Done()) return std::nullopt;
  if (truncated) std::sort(postings.begin(), postings.end());
  if (limit > 0 && postings.size() > limit) postings.resize(limit);
  return postings;
}

IndexChanges::Chunk* IndexChanges::Load(const std::string& term, int32_t chunk) {
  auto key = std::make_pair(term, chunk);
  auto it = chunks_.find(key);
  if (it != chunks_.end()) return &it->second;
  Chunk loaded;
  CachedStatement query = db_.Cached(kOneChunk);
  if (!query.IsValid()) return nullptr;
  query->Bind(1, dbId_).BindBlob(2, term).Bind(3, chunk);
  if (query->Step()) {
    if (!DecodePostings(query->Blob(0), loaded.postings)) return nullptr;
  } else if (!query->Done()) {
    return nullptr;
  }
  return &chunks_.emplace(std::move(key), std::move(loaded)).first->second;
}

// Puts `postings` (all of record `mfn`, sorted) in place of the record's
// postings under `term`.
bool IndexChanges::Change(const std::string& term, int32_t mfn,
                          const std::vector<Posting>& postings) {
  Chunk* chunk = Load(term, ChunkOf(mfn));
  if (chunk == nullptr) return false;
  std::vector<Posting>& all = chunk->postings;
  auto byMfn = [](const Posting& p, int32_t m) { return p.mfn < m; };
  auto first = std::lower_bound(all.begin(), all.end(), mfn, byMfn);
  auto last = std::find_if(first, all.end(), [&](const Posting& p) { return p.mfn != mfn; });
  auto removed = last - first;
  if (removed == 0 && postings.empty()) return true;
  first = all.erase(first, last);
  all.insert(first, postings.begin(), postings.end());
  chunk->changed = true;
  countChanges_[term] += static_cast<int64_t>(postings.size()) - removed;
  return true;
}

bool IndexChanges::Replace(int32_t mfn, const std::vector<IndexTerm>& oldTerms,
                           const std::vector<IndexTerm>& newTerms) {
  std::map<std::string, std::vector<Posting>> byTerm;
  for (const IndexTerm& t : oldTerms) byTerm[t.term];
  for (const IndexTerm& t : newTerms)
    byTerm[t.term].push_back({mfn, t.tag, t.occurrence, t.position});
  for (auto& [term, postings] : byTerm) {
    std::sort(postings.begin(), postings.end());
    postings.erase(std::unique(postings.begin(), postings.end()), postings.end());
    if (!Change(term, mfn, postings)) return false;
  }
  return true;
}

bool IndexChanges::Flush() {
  for (const auto& [key, chunk] : chunks_)
    if (chunk.changed && !PutChunk(db_, dbId_, key.first, key.second, chunk.postings)) return false;
  for (const auto& [term, delta] : countChanges_)
    if (delta != 0 && !AddCount(db_, dbId_, term, delta)) return false;
  chunks_.clear();
  countChanges_.clear();
  return true;
}

bool IndexBuilder::Add(int32_t mfn, const std::vector<IndexTerm>& terms) {
  if (mfn <= lastMfn_) return false;
  lastMfn_ = mfn;
  if (ChunkOf(mfn) != chunk_) {
    if (!FlushChunk()) return false;
    chunk_ = ChunkOf(mfn);
  }
  Term* term = nullptr;
  const std::string* name = nullptr;
  for (const IndexTerm& t : terms) {
    // The terms come sorted, so one lookup serves all postings of a term.
    if (name == nullptr || t.term != *name) {
      term = &terms_[t.term];
      name = &t.term;
    }
    term->chunkPostings.push_back({mfn, t.tag, t.occurrence, t.position});
    ++term->count;
  }
  return true;
}

bool IndexBuilder::FlushChunk() {
  std::vector<std::pair<const std::string, Term>*> rows;
  for (auto& row : terms_)
    if (!row.second.chunkPostings.empty()) rows.push_back(&row);
  // In key order the B-tree grows at its edge instead of splitting pages
  // all over.
  std::sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->first < b->first; });
  for (auto* row : rows) {
    if (!PutChunk(db_, dbId_, row->first, chunk_, row->second.chunkPostings)) return false;
    row->second.chunkPostings = {};
  }
  return true;
}

bool IndexBuilder::Finish() {
  if (!FlushChunk()) return false;
  std::vector<std::pair<std::string_view, int64_t>> counts;
  counts.reserve(terms_.size());
  for (const auto& [term, entry] : terms_) counts.emplace_back(term, entry.count);
  std::sort(counts.begin(), counts.end());
  for (const auto& [term, n] : counts)
    if (!AddCount(db_, dbId_, term, n)) return false;
  terms_.clear();
  return true;
}

bool ClearIndex(SqliteConnection& db, int64_t dbId) {
  for (std::string_view table : {"term_chunks", "term_positions", "term_counts"}) {
    SqliteStatement clear = db.Prepare("DELETE FROM " + std::string(table) + " WHERE db = ?");
    if (!clear.Bind(1, dbId).Run()) return false;
  }
  return true;
}

}  // namespace talor::server
