// Whole catalogues searched by the server's evaluator and by the reference
// evaluator over postings made from the stored records by the catalogue's
// own field selection tables: the demo catalogue always, and a large one
// (a data directory made by tools/make_bench_catalogue.py and
// `talor-server init`) when TALOR_SEARCH_CHECK_DATA names it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <random>

#include "server/catalogue_loader.h"
#include "server/engine_formatter.h"
#include "server/reference_search.h"
#include "server/search_evaluator.h"
#include "server/service.h"
#include "server/storage.h"
#include "server/temp_dir.h"

namespace talor::server {
namespace {

class CatalogueSearch {
 public:
  explicit CatalogueSearch(const std::filesystem::path& dataDir) : dataDir_(dataDir) {
    Status status = Storage::Open((dataDir / kStorageFileName).string(), &storage_);
    EXPECT_TRUE(status.ok()) << status.message();
    formatter_ = std::make_unique<EngineFormatter>(CatalogueFiles(dataDir), storage_.get());
    service_ = std::make_unique<Service>(*storage_, CatalogueFiles(dataDir), *formatter_,
                                         ServiceOptions{});
  }

  // The dictionary made from every record of `database`; each term's count
  // in the storage's term list is checked on the way.
  Dictionary Reference(const std::string& database) {
    Dictionary dictionary;
    IndexFunction index = service_->IndexFor(database);
    int32_t next = storage_->NextMfn(database).value_or(1);
    for (int32_t mfn = 1; mfn < next; ++mfn) {
      ReadOutcome read = storage_->ReadRecord(database, mfn, "");
      if (read.code == 0) AddToDictionary(dictionary, mfn, index(read.record).terms);
    }
    SortDictionary(dictionary);
    std::vector<TermCount> listed =
        storage_->Terms(database, "", std::numeric_limits<int>::max(), true);
    for (const TermCount& t : listed) {
      auto it = dictionary.find(t.term);
      EXPECT_TRUE(it != dictionary.end() && static_cast<int64_t>(it->second.size()) == t.count)
          << database << " " << t.term << ":" << t.count;
    }
    EXPECT_EQ(listed.size(), dictionary.size()) << database;
    return dictionary;
  }

  // Compares the hits of `expression` in both evaluators; true when equal.
  bool Agrees(const std::string& database, const ReferenceSearch& reference,
              const std::string& expression) {
    SearchParse parse = ParseSearchExpression(expression);
    if (!parse.root) return true;  // a term that the language cannot quote
    std::unique_ptr<TermIndex> index = storage_->SearchIndex(database);
    EXPECT_TRUE(index);
    if (!index) return false;
    SearchResult result = EvaluateSearch(*parse.root, *index);
    EXPECT_EQ(result.status, SearchStatus::Done) << expression;
    std::vector<int32_t> expected = reference.Hits(*parse.root);
    EXPECT_EQ(result.hits.ToVector(), expected) << database << ": " << expression;
    return result.hits.ToVector() == expected;
  }

  Storage& storage() { return *storage_; }

 private:
  std::filesystem::path dataDir_;
  std::unique_ptr<Storage> storage_;
  std::unique_ptr<EngineFormatter> formatter_;
  std::unique_ptr<Service> service_;
};

// Random expressions over the terms of a dictionary: terms as they are,
// truncated to a prefix, with a qualifier of a tag they occur with, joined
// by every operator.
class ExpressionMaker {
 public:
  ExpressionMaker(const Dictionary& dictionary, uint32_t seed) : rng_(seed) {
    for (const auto& [term, postings] : dictionary)
      if (term.find_first_of("\"$") == std::string::npos && term.find('=') != std::string::npos)
        terms_.push_back({term, postings.front().tag});
  }

  std::string Expression(int depth) {
    if (depth == 0 || Pick(3) == 0) return Term();
    static const char* kOps[] = {" + ", " * ", " ^ ", " . "};
    return "(" + Expression(depth - 1) + kOps[Pick(4)] + Expression(depth - 1) + ")";
  }

 private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  std::string Term() {
    if (terms_.empty()) return "\"K=NOTHING\"";
    const auto& [term, tag] = terms_[Pick(terms_.size())];
    std::string text = term;
    if (Pick(3) == 0) {
      size_t cut = term.find('=') + 1 + Pick(term.size() - term.find('='));
      while (cut < term.size() && (static_cast<unsigned char>(term[cut]) & 0xC0) == 0x80) ++cut;
      text = term.substr(0, cut) + "$";
    }
    text = "\"" + text + "\"";
    if (Pick(4) == 0) text += "/(" + std::to_string(Pick(2) == 0 ? tag : tag + 1) + ")";
    return text;
  }

  std::mt19937 rng_;
  std::vector<std::pair<std::string, int32_t>> terms_;
};

void CheckCatalogue(const std::filesystem::path& dataDir, int expressions,
                    const std::vector<std::string>& fixed) {
  CatalogueSearch search(dataDir);
  for (const std::string& database : search.storage().Databases()) {
    Dictionary dictionary = search.Reference(database);
    ReferenceSearch reference(dictionary);
    for (const std::string& expression : fixed) search.Agrees(database, reference, expression);
    ExpressionMaker maker(dictionary, 7);
    int failures = 0;
    for (int i = 0; i < expressions && failures < 5; ++i)
      if (!search.Agrees(database, reference, maker.Expression(3))) ++failures;
  }
}

TEST(CatalogueSearchTest, TheDemoCatalogueAgreesWithTheReference) {
  TempDir data;
  EngineFormatter formatter{CatalogueFiles(data.path() / "d")};
  LoadReport report =
      InitDataDirectory(data.path() / "d", TALOR_SOURCE_DIR "/data/demo", formatter);
  ASSERT_TRUE(report.ok) << report.message;
  CheckCatalogue(data.path() / "d", 400,
                 {"\"K=ВОЙНА\" * \"K=МИР\"", "\"A=ТОЛСТ$\"", "\"K=ВОЙНА\" . \"K=И\" . \"K=МИР\""});
}

TEST(CatalogueSearchTest, ALargeCatalogueAgreesWithTheReference) {
  const char* dir = std::getenv("TALOR_SEARCH_CHECK_DATA");
  if (dir == nullptr) GTEST_SKIP() << "TALOR_SEARCH_CHECK_DATA names no data directory";
  CheckCatalogue(dir, 60,
                 {"\"K=WDW\"", "\"K=WA\" * \"K=WB\"", "\"K=WE$\"", "\"K=WA\" . \"K=WB\"",
                  "\"K=WB\" ^ \"K=WA\"", "\"A=A1$\" * \"G=1950\""});
}

}  // namespace
}  // namespace talor::server
