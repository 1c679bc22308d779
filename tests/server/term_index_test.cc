// The term index on disk: a storage file of the earlier layout (one row per
// posting) is upgraded and rebuilt from its records, and damaged index rows
// make a search fail instead of reading garbage.

#include <gtest/gtest.h>

#include "server/catalogue_loader.h"
#include "server/engine_formatter.h"
#include "server/search_evaluator.h"
#include "server/service.h"
#include "server/sqlite.h"
#include "server/storage.h"
#include "server/temp_dir.h"

namespace talor::server {
namespace {

class TermIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source_.Write("db/BOOKS/BOOKS.txt",
                  "#200: ^AWar and peace\r\n#700: ^ATolstoy\r\n*****\r\n"
                  "#200: ^APeace and war\r\n*****\r\n#200: ^AAnna\r\n*****\r\n");
    source_.Write("db/BOOKS/BOOKS.fst", "200 4 |K=|v200^a\r\n700 0 |A=|v700^a\r\n");
    EngineFormatter formatter{CatalogueFiles(dataDir())};
    LoadReport report = InitDataDirectory(dataDir(), source_.path(), formatter);
    ASSERT_TRUE(report.ok) << report.message;
  }
  std::filesystem::path dataDir() const { return data_.path() / "d"; }
  std::string file() const { return (dataDir() / kStorageFileName).string(); }
  std::unique_ptr<Storage> Open() {
    std::unique_ptr<Storage> storage;
    Status status = Storage::Open(file(), &storage);
    EXPECT_TRUE(status.ok()) << status.message();
    return storage;
  }
  bool Sql(std::string_view sql) {
    SqliteConnection db;
    return db.Open(file()) && db.Execute(sql);
  }
  std::string Search(Storage& storage, std::string_view expression) {
    SearchParse parse = ParseSearchExpression(expression);
    std::unique_ptr<TermIndex> index = storage.SearchIndex("BOOKS");
    if (!parse.root || !index) return "no search";
    SearchResult result = EvaluateSearch(*parse.root, *index);
    if (result.status == SearchStatus::Failed) return "failed";
    std::string hits;
    for (int32_t mfn : result.hits.ToVector())
      hits += (hits.empty() ? "" : " ") + std::to_string(mfn);
    return hits;
  }
  std::string Terms(Storage& storage) {
    std::string text;
    for (const TermCount& t : storage.Terms("BOOKS", "", 100, true))
      text += (text.empty() ? "" : " ") + t.term + ":" + std::to_string(t.count);
    return text;
  }

  TempDir source_;
  TempDir data_;
};

TEST_F(TermIndexTest, AFileOfTheEarlierLayoutIsRebuiltFromItsRecords) {
  // The earlier layout: postings one per row, no term chunks.
  ASSERT_TRUE(
      Sql("DROP TABLE term_chunks; DROP TABLE term_positions; DROP TABLE stale_indexes;"
          "CREATE TABLE postings(db INTEGER NOT NULL, term BLOB NOT NULL, mfn INTEGER NOT NULL,"
          " tag INTEGER NOT NULL, occ INTEGER NOT NULL, pos INTEGER NOT NULL,"
          " PRIMARY KEY(db, term, mfn, tag, occ, pos)) WITHOUT ROWID;"
          "INSERT INTO postings VALUES(1, CAST('K=WAR' AS BLOB), 1, 200, 1, 1);"
          "DELETE FROM term_counts; INSERT INTO term_counts VALUES(1, CAST('K=WAR' AS BLOB), 1);"));
  std::unique_ptr<Storage> storage = Open();
  ASSERT_TRUE(storage);
  EXPECT_EQ(storage->StaleIndexes(), std::vector<std::string>{"BOOKS"});
  EXPECT_EQ(Terms(*storage), "");

  EngineFormatter formatter(CatalogueFiles(dataDir()), storage.get());
  Service service(*storage, CatalogueFiles(dataDir()), formatter, ServiceOptions{});
  LoadReport report = RebuildStaleIndexes(*storage, service);
  ASSERT_TRUE(report.ok) << report.message;
  EXPECT_EQ(report.databases, 1);
  EXPECT_TRUE(storage->StaleIndexes().empty());
  EXPECT_EQ(Terms(*storage), "A=TOLSTOY:1 K=AND:2 K=ANNA:1 K=PEACE:2 K=WAR:2");
  EXPECT_EQ(Search(*storage, "\"K=WAR\" . \"K=AND\""), "1");
  EXPECT_EQ(Search(*storage, "\"K=PEACE\" * \"A=TOLSTOY\""), "1");
  EXPECT_EQ(Search(*storage, "\"K=A$\""), "1 2 3");

  // Nothing left to rebuild at the next start.
  storage.reset();
  storage = Open();
  EXPECT_TRUE(storage->StaleIndexes().empty());
  EXPECT_EQ(RebuildStaleIndexes(*storage, service).databases, 0);
}

TEST_F(TermIndexTest, DamagedIndexRowsFailTheSearch) {
  {
    std::unique_ptr<Storage> storage = Open();
    EXPECT_EQ(Search(*storage, "\"K=WAR\"/(200)"), "1 2");
  }
  // One byte of the postings of K=WAR cut off: only a search that needs
  // positions reads them.
  ASSERT_TRUE(
      Sql("UPDATE term_positions SET postings = substr(postings, 1, length(postings) - 1) "
          "WHERE term = CAST('K=WAR' AS BLOB)"));
  std::unique_ptr<Storage> storage = Open();
  EXPECT_EQ(Search(*storage, "\"K=WAR\""), "1 2");
  EXPECT_EQ(Search(*storage, "\"K=WAR\"/(200)"), "failed");
  EXPECT_EQ(Search(*storage, "\"K=WAR\" . \"K=AND\""), "failed");
  EXPECT_TRUE(storage->Postings("BOOKS", "K=WAR", false).empty());

  ASSERT_TRUE(Sql("UPDATE term_chunks SET mfns = x'3a30' WHERE term = CAST('K=PEACE' AS BLOB)"));
  storage = Open();
  EXPECT_EQ(Search(*storage, "\"K=PEACE\" + \"K=ANNA\""), "failed");
  EXPECT_EQ(Search(*storage, "\"K=ANNA\""), "3");
}

}  // namespace
}  // namespace talor::server
