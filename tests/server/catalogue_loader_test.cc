#include "server/catalogue_loader.h"

#include <gtest/gtest.h>

#include "server/engine_formatter.h"
#include "server/password_hash.h"
#include "server/storage.h"
#include "server/temp_dir.h"

namespace talor::server {
namespace {

class CatalogueLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source_.Write("db/BOOKS/BOOKS.txt",
                  "#200: ^AWar and peace\r\n#700: ^ATolstoy\r\n*****\r\n"
                  "#200: ^AAnna\r\n*****\r\n");
    source_.Write("db/BOOKS/BOOKS.fst", "200 4 |K=|v200^a\r\n");
    source_.Write("db/BOOKS/brief.pft", "v200^a");
    source_.Write("pages/index.html", "<html></html>");
    source_.Write("users.txt", "# comment\nanna secret RC write\nboris pw - read\n");
    source_.Write("settings.ini", "[Navigator]\r\nSEARCHPORTION=7\r\n");
  }
  std::unique_ptr<Storage> Open() {
    std::unique_ptr<Storage> storage;
    EXPECT_TRUE(Storage::Open((data_.path() / "d" / kStorageFileName).string(), &storage).ok());
    return storage;
  }

  TempDir source_;
  TempDir data_;
};

TEST_F(CatalogueLoaderTest, InitLoadsRecordsUsersSettingsAndFiles) {
  EngineFormatter formatter{CatalogueFiles(data_.path() / "d")};
  LoadReport report = InitDataDirectory(data_.path() / "d", source_.path(), formatter);
  ASSERT_TRUE(report.ok) << report.message;
  EXPECT_EQ(report.databases, 1);
  EXPECT_EQ(report.records, 2);
  EXPECT_TRUE(std::filesystem::exists(data_.path() / "d" / "pages" / "index.html"));
  std::unique_ptr<Storage> storage = Open();
  ASSERT_TRUE(storage);
  EXPECT_EQ(storage->NextMfn("BOOKS"), 3);
  EXPECT_EQ(storage->Postings("BOOKS", "K=PEACE", false).size(), 1u);
  std::optional<User> anna = storage->FindUser("anna");
  ASSERT_TRUE(anna);
  EXPECT_TRUE(VerifyPassword(anna->passwordHash, "secret"));
  EXPECT_EQ(anna->workstations, "RC");
  EXPECT_TRUE(anna->canWrite);
  EXPECT_EQ(storage->FindUser("boris")->workstations, "");
  EXPECT_FALSE(storage->FindUser("boris")->canWrite);
  EXPECT_EQ(storage->Settings(), "[Navigator]\r\nSEARCHPORTION=7\r\n");
}

TEST_F(CatalogueLoaderTest, AMalformedUserLineStopsInitWithoutShowingThePassword) {
  for (std::string_view line : {"anna s3cret-word RC admin", "anna s3cret-word R*C write",
                                "anna s3cret-word RC", "anna s3cret-word RR write"}) {
    source_.Write("users.txt", std::string(line) + "\n");
    TempDir data;
    EngineFormatter formatter{CatalogueFiles(data.path())};
    LoadReport report = InitDataDirectory(data.path(), source_.path(), formatter);
    EXPECT_FALSE(report.ok) << line;
    EXPECT_NE(report.message.find("users.txt"), std::string::npos) << report.message;
    EXPECT_EQ(report.message.find("s3cret"), std::string::npos) << report.message;
  }
}

TEST_F(CatalogueLoaderTest, InitRefusesAFilledDirectoryAndAMissingSource) {
  EngineFormatter formatter{CatalogueFiles(data_.path() / "d")};
  ASSERT_TRUE(InitDataDirectory(data_.path() / "d", source_.path(), formatter).ok);
  LoadReport again = InitDataDirectory(data_.path() / "d", source_.path(), formatter);
  EXPECT_FALSE(again.ok);
  EXPECT_FALSE(again.message.empty());
  EXPECT_EQ(Open()->NextMfn("BOOKS"), 3);  // nothing loaded twice
  EXPECT_FALSE(InitDataDirectory(data_.path() / "e", source_.path() / "absent", formatter).ok);
}

TEST_F(CatalogueLoaderTest, BrokenUsersFileStopsInit) {
  source_.Write("users.txt", "anna secret\n");
  EngineFormatter formatter{CatalogueFiles(data_.path() / "d")};
  LoadReport report = InitDataDirectory(data_.path() / "d", source_.path(), formatter);
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.message.find("users.txt"), std::string::npos);
}

TEST_F(CatalogueLoaderTest, ReindexFollowsAChangedFieldSelectionTable) {
  EngineFormatter formatter{CatalogueFiles(data_.path() / "d")};
  ASSERT_TRUE(InitDataDirectory(data_.path() / "d", source_.path(), formatter).ok);
  data_.Write("d/db/BOOKS/BOOKS.fst", "700 0 |A=|v700^a\r\n");
  LoadReport report = ReindexDataDirectory(data_.path() / "d", formatter);
  ASSERT_TRUE(report.ok) << report.message;
  std::unique_ptr<Storage> storage = Open();
  EXPECT_TRUE(storage->Postings("BOOKS", "K=PEACE", false).empty());
  EXPECT_EQ(storage->Postings("BOOKS", "A=TOLSTOY", false).size(), 1u);
}

}  // namespace
}  // namespace talor::server
