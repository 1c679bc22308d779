// Random catalogues searched by the storage's term index and by a plain
// reference evaluator over postings computed straight from the records: the
// hits must agree for every expression, and the term list must give every
// term with its exact number of postings, after writes, updates, deletions,
// bulk loads, rebuilds and reopening.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "server/reference_search.h"
#include "server/search_evaluator.h"
#include "server/storage.h"
#include "server/temp_dir.h"
#include "text/encoding.h"

namespace talor::server {
namespace {

// Records before this MFN are empty, so that the catalogue's records
// straddle the first boundary between chunks of the term index.
constexpr int32_t kFirstFilled = 65500;

const std::vector<std::string> kWords = {"war",  "ward",   "warden", "peace", "pea",   "anna",
                                         "мир",  "мирный", "мираж",  "война", "воин",  "волк",
                                         "ёлка", "Ель",    "1812",   "18",    "warsaw"};
const std::vector<std::string> kAuthors = {"Толстой Л.Н.", "Tolstoy L.", "Пушкин А.С.",
                                           "Austen J."};
const int32_t kWordTags[] = {200, 610};

// Fields 200 and 610 give a "K=" term per word at its position in the
// occurrence; field 700 one "A=" term for the whole value.
IndexEntries Index(const StoredRecord& record) {
  IndexEntries entries;
  if (record.IsDeleted()) return entries;
  for (int32_t tag : kWordTags) {
    int occurrence = 0;
    for (std::string_view value : record.Values(tag)) {
      ++occurrence;
      int position = 0;
      for (std::string_view word : SplitIndexWords(value))
        entries.terms.push_back(
            {NormalizeTerm("K=" + std::string(word)), tag, occurrence, ++position});
    }
  }
  int occurrence = 0;
  for (std::string_view value : record.Values(700))
    entries.terms.push_back({NormalizeTerm("A=" + std::string(value)), 700, ++occurrence, 1});
  entries.fullText = FullTextBody(record);
  return entries;
}

class Catalogue {
 public:
  explicit Catalogue(uint32_t seed) : rng_(seed) {}

  std::vector<Field> RandomFields() {
    std::vector<Field> fields;
    for (int32_t tag : {200, 610, 200, 700, 610}) {
      if (Pick(3) == 0) continue;
      if (tag == 700) {
        fields.push_back({700, kAuthors[Pick(kAuthors.size())]});
        continue;
      }
      std::string text;
      for (size_t n = 1 + Pick(5); n > 0; --n)
        text += (text.empty() ? "" : Pick(4) == 0 ? ", " : " ") + kWords[Pick(kWords.size())];
      fields.push_back({tag, text});
    }
    return fields;
  }

  // A random expression of at most `depth` levels of operators.
  std::string Expression(int depth) {
    if (depth == 0 || Pick(3) == 0) return TermText();
    static const char* kOps[] = {" + ", " * ", " ^ ", " . "};
    return "(" + Expression(depth - 1) + kOps[Pick(4)] + Expression(depth - 1) + ")";
  }

  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

 private:
  std::string TermText() {
    std::string term;
    if (Pick(5) == 0) {
      term = "A=" + Utf8UpperCase(kAuthors[Pick(kAuthors.size())]);
    } else {
      term = "K=" + kWords[Pick(kWords.size())];
    }
    if (Pick(3) == 0) term = Prefix(term) + "$";
    std::string text = "\"" + term + "\"";
    static const char* kQualifiers[] = {"/(200)", "/(610)", "/(200,610)", "/(700)"};
    if (Pick(4) == 0) text += kQualifiers[Pick(4)];
    return text;
  }
  // A prefix of `term` at a character boundary, at least its "K=".
  std::string Prefix(const std::string& term) {
    size_t cut = 2 + Pick(term.size() - 1);
    while (cut < term.size() && (static_cast<unsigned char>(term[cut]) & 0xC0) == 0x80) ++cut;
    return term.substr(0, cut);
  }

  std::mt19937 rng_;
};

class SearchPropertyTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(); }
  void Open(const std::string& file = "s.sqlite") {
    Status status = Storage::Open((dir_.path() / file).string(), &storage_);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_TRUE(storage_->CreateDatabase("PROP"));
  }

  // Loads kFirstFilled - 1 empty records and `filled` random ones in bulk.
  void LoadInBulk(Catalogue& catalogue, int filled) {
    int32_t mfn = 0;
    std::optional<int64_t> loaded = storage_->LoadRecords(
        "PROP",
        [&]() -> std::optional<StoredRecord> {
          if (++mfn >= kFirstFilled + filled) return std::nullopt;
          StoredRecord record;
          if (mfn >= kFirstFilled) record.fields = catalogue.RandomFields();
          model_[mfn] = record;
          model_[mfn].mfn = mfn;
          model_[mfn].version = 1;
          return record;
        },
        Index);
    ASSERT_EQ(loaded, kFirstFilled + filled - 1);
  }

  // Writes `records` in one batch and keeps them in the model.
  void Write(std::vector<StoredRecord> records) {
    std::vector<WriteOutcome> outcomes = storage_->WriteRecords("PROP", records, {}, Index);
    for (const WriteOutcome& outcome : outcomes) {
      ASSERT_EQ(outcome.code, 0);
      model_[outcome.record.mfn] = outcome.record;
    }
  }

  // Rewrites, deletes or empties random records, in batches of one to five.
  void ChangeRandomRecords(Catalogue& catalogue, int count) {
    std::vector<int32_t> mfns;
    for (const auto& [mfn, record] : model_)
      if (mfn >= kFirstFilled - 3) mfns.push_back(mfn);
    for (int done = 0; done < count;) {
      std::vector<StoredRecord> batch;
      std::set<int32_t> chosen;
      for (size_t n = 1 + catalogue.Pick(5); n > 0; --n, ++done) {
        int32_t mfn = mfns[catalogue.Pick(mfns.size())];
        if (!chosen.insert(mfn).second) continue;
        StoredRecord record = model_[mfn];
        size_t what = catalogue.Pick(6);
        if (what == 0) {
          record.status = kStatusDeleted;
        } else if (what == 1) {
          record.fields.clear();
        } else {
          record.status = 0;
          record.fields = catalogue.RandomFields();
        }
        batch.push_back(record);
      }
      Write(std::move(batch));
    }
  }

  Dictionary Expected() const {
    Dictionary dictionary;
    for (const auto& [mfn, record] : model_) AddToDictionary(dictionary, mfn, Index(record).terms);
    SortDictionary(dictionary);
    return dictionary;
  }

  // The term list, every term's postings and `expressions` random
  // searches agree with the model.
  void Check(Catalogue& catalogue, int expressions) {
    Dictionary expected = Expected();
    std::map<std::string, int64_t> counts, found;
    for (const auto& [term, postings] : expected)
      counts[term] = static_cast<int64_t>(postings.size());
    for (const TermCount& t : storage_->Terms("PROP", "", 100000, true)) found[t.term] = t.count;
    ASSERT_EQ(found, counts);
    for (const auto& [term, postings] : expected)
      ASSERT_EQ(storage_->Postings("PROP", term, false), postings) << term;

    ReferenceSearch reference(expected);
    for (int i = 0; i < expressions; ++i) {
      std::string expression = catalogue.Expression(3);
      SearchParse parse = ParseSearchExpression(expression);
      ASSERT_TRUE(parse.root) << expression << ": " << parse.error;
      std::unique_ptr<TermIndex> index = storage_->SearchIndex("PROP");
      ASSERT_TRUE(index);
      SearchResult result = EvaluateSearch(*parse.root, *index);
      ASSERT_EQ(result.status, SearchStatus::Done) << expression;
      ASSERT_EQ(result.hits.ToVector(), reference.Hits(*parse.root)) << expression;
    }
  }

  TempDir dir_;
  std::unique_ptr<Storage> storage_;
  std::map<int32_t, StoredRecord> model_;
};

TEST_F(SearchPropertyTest, IncrementalWritesUpdatesAndDeletionsMatchTheReference) {
  Catalogue catalogue(20261208);
  LoadInBulk(catalogue, 0);
  for (int batch = 0; batch < 30; ++batch) {
    std::vector<StoredRecord> records(1 + catalogue.Pick(8));
    for (StoredRecord& record : records) record.fields = catalogue.RandomFields();
    Write(std::move(records));
  }
  ASSERT_GT(model_.rbegin()->first, 65536) << "the records must pass into a second chunk";
  Check(catalogue, 300);
  ChangeRandomRecords(catalogue, 80);
  Check(catalogue, 300);

  ASSERT_TRUE(storage_->Reindex("PROP", Index));
  Check(catalogue, 100);
  storage_.reset();
  Open();
  Check(catalogue, 100);
}

TEST_F(SearchPropertyTest, BulkLoadMatchesTheReferenceAndTakesLaterChanges) {
  for (uint32_t seed : {1u, 2u}) {
    SCOPED_TRACE(seed);
    model_.clear();
    Open("bulk" + std::to_string(seed) + ".sqlite");
    Catalogue catalogue(seed);
    LoadInBulk(catalogue, 120);
    Check(catalogue, 200);
    ChangeRandomRecords(catalogue, 60);
    Check(catalogue, 200);
  }
}

}  // namespace
}  // namespace talor::server
