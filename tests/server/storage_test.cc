#include "server/storage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "server/password_hash.h"
#include "server/return_codes.h"
#include "server/temp_dir.h"

namespace talor::server {
namespace {

// Every word of field 200 is a term "K=WORD" at its position; the record's
// whole text goes to the full-text index.
IndexEntries WordsOf200(const StoredRecord& record) {
  IndexEntries entries;
  if (record.IsDeleted()) return entries;
  int occurrence = 0;
  for (std::string_view value : record.Values(200)) {
    ++occurrence;
    int position = 0;
    for (std::string_view word : SplitIndexWords(value))
      entries.terms.push_back(
          {NormalizeTerm("K=" + std::string(word)), 200, occurrence, ++position});
  }
  entries.fullText = FullTextBody(record);
  return entries;
}

class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Status status = Storage::Open((dir_.path() / "s.sqlite").string(), &storage_);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_TRUE(storage_->CreateDatabase("demo"));
  }

  WriteOutcome Write(StoredRecord record, WriteOptions options = {}) {
    return storage_->WriteRecord("DEMO", record, options, WordsOf200);
  }
  int32_t Add(std::string title) {
    WriteOutcome outcome = Write({0, 0, 0, {{200, std::move(title)}}});
    EXPECT_EQ(outcome.code, 0);
    return outcome.record.mfn;
  }
  // "TERM:count" for every term from `start`, joined by blanks.
  std::string Terms(std::string_view start, int count, bool forward = true) {
    std::string text;
    for (const TermCount& t : storage_->Terms("DEMO", start, count, forward))
      text += (text.empty() ? "" : " ") + t.term + ":" + std::to_string(t.count);
    return text;
  }
  std::vector<int32_t> Mfns(std::string_view term, bool truncated = false) {
    std::vector<int32_t> mfns;
    for (const Posting& p : storage_->Postings("DEMO", term, truncated)) mfns.push_back(p.mfn);
    return mfns;
  }

  TempDir dir_;
  std::unique_ptr<Storage> storage_;
};

TEST_F(StorageTest, NewRecordsGetConsecutiveMfnsAndVersionOne) {
  EXPECT_EQ(storage_->NextMfn("DEMO"), 1);
  EXPECT_EQ(Add("War and Peace"), 1);
  EXPECT_EQ(Add("Anna"), 2);
  EXPECT_EQ(storage_->NextMfn("demo"), 3);
  ReadOutcome read = storage_->ReadRecord("DEMO", 1, "");
  ASSERT_EQ(read.code, 0);
  EXPECT_EQ(read.record.version, 1);
  EXPECT_EQ(read.record.fields, (std::vector<Field>{{200, "War and Peace"}}));
}

TEST_F(StorageTest, UnknownDatabaseAndAbsentRecords) {
  EXPECT_EQ(storage_->ReadRecord("NONE", 1, "").code, Code(ReturnCode::UnknownDatabase));
  EXPECT_EQ(storage_->ReadRecord("DEMO", 1, "").code, Code(ReturnCode::RecordAbsent));
  EXPECT_EQ(storage_->ReadRecord("DEMO", -3, "").code, Code(ReturnCode::RecordAbsent));
  EXPECT_EQ(Write({5, 0, 1, {{200, "x"}}}).code, Code(ReturnCode::RecordAbsent));
  EXPECT_FALSE(storage_->NextMfn("NONE"));
  EXPECT_FALSE(storage_->CreateDatabase("../etc"));
  EXPECT_FALSE(storage_->CreateDatabase(""));
}

TEST_F(StorageTest, StaleVersionIsRefusedWithTheStoredRecord) {
  int32_t mfn = Add("first");
  WriteOutcome second = Write({mfn, 0, 1, {{200, "second"}}});
  ASSERT_EQ(second.code, 0);
  EXPECT_EQ(second.record.version, 2);
  WriteOutcome stale = Write({mfn, 0, 1, {{200, "third"}}});
  EXPECT_EQ(stale.code, Code(ReturnCode::VersionConflict));
  EXPECT_EQ(stale.record.fields, (std::vector<Field>{{200, "second"}}));
  EXPECT_EQ(stale.record.version, 2);
}

TEST_F(StorageTest, DictionaryFollowsUpdatesAndDeletion) {
  int32_t a = Add("war and peace");
  int32_t b = Add("war");
  EXPECT_EQ(Terms("K=", 10), "K=AND:1 K=PEACE:1 K=WAR:2");
  ASSERT_EQ(Write({a, 0, 1, {{200, "peace only"}}}).code, 0);
  EXPECT_EQ(Terms("K=", 10), "K=ONLY:1 K=PEACE:1 K=WAR:1");
  ASSERT_EQ(Write({b, kStatusDeleted, 1, {{200, "war"}}}).code, 0);
  EXPECT_EQ(Terms("K=", 10), "K=ONLY:1 K=PEACE:1");
  EXPECT_TRUE(Mfns("K=WAR").empty());
  EXPECT_FALSE(storage_->TermExists("DEMO", "K=WAR"));
}

TEST_F(StorageTest, WriteWithoutActualizingKeepsTheOldDictionary) {
  int32_t mfn = Add("alpha");
  WriteOptions options;
  options.actualize = false;
  ASSERT_EQ(Write({mfn, 0, 1, {{200, "beta"}}}, options).code, 0);
  EXPECT_EQ(Mfns("K=ALPHA"), std::vector<int32_t>{mfn});
  EXPECT_TRUE(Mfns("K=BETA").empty());
  ASSERT_TRUE(storage_->Reindex("DEMO", WordsOf200));
  EXPECT_TRUE(Mfns("K=ALPHA").empty());
  EXPECT_EQ(Mfns("K=BETA"), std::vector<int32_t>{mfn});
}

TEST_F(StorageTest, TermsForwardBackwardAndTruncatedPostings) {
  Add("apple apricot banana");
  Add("cherry");
  EXPECT_EQ(Terms("K=B", 2), "K=BANANA:1 K=CHERRY:1");
  EXPECT_EQ(Terms("K=BZ", 2, false), "K=BANANA:1 K=APRICOT:1");
  EXPECT_EQ(Terms("K=APPLE", 1, false), "K=APPLE:1");
  EXPECT_EQ(Terms("K=Z", 5), "");
  EXPECT_EQ(Mfns("K=AP", true), (std::vector<int32_t>{1, 1}));
  EXPECT_TRUE(Mfns("K=AP").empty());
}

TEST_F(StorageTest, LocksBelongToTheirOwner) {
  int32_t mfn = Add("locked");
  ReadOutcome locked = storage_->ReadRecord("DEMO", mfn, "anna");
  ASSERT_EQ(locked.code, 0);
  EXPECT_EQ(locked.record.status & kStatusLocked, kStatusLocked);
  EXPECT_EQ(storage_->ReadRecord("DEMO", mfn, "boris").code, Code(ReturnCode::RecordLocked));
  WriteOptions boris;
  boris.lockOwner = "boris";
  EXPECT_EQ(Write({mfn, 0, 1, {{200, "x"}}}, boris).code, Code(ReturnCode::RecordLocked));
  // The owner's write without keeping the lock releases it.
  WriteOptions anna;
  anna.lockOwner = "anna";
  WriteOutcome written = Write({mfn, kStatusLocked, 1, {{200, "y"}}}, anna);
  ASSERT_EQ(written.code, 0);
  EXPECT_EQ(written.record.status & kStatusLocked, 0);
  EXPECT_EQ(Write({mfn, 0, 2, {{200, "z"}}}, boris).code, 0);
}

TEST_F(StorageTest, ReleaseLocksFreesEveryRecordOfTheOwner) {
  int32_t a = Add("a");
  int32_t b = Add("b");
  ASSERT_EQ(storage_->ReadRecord("DEMO", a, "anna").code, 0);
  ASSERT_EQ(storage_->ReadRecord("DEMO", b, "anna").code, 0);
  storage_->ReleaseLocks("anna");
  EXPECT_EQ(storage_->ReadRecord("DEMO", a, "").record.status, 0);
  EXPECT_EQ(storage_->ReadRecord("DEMO", b, "boris").code, 0);
}

TEST_F(StorageTest, BatchGivesOneOutcomePerRecord) {
  int32_t mfn = Add("old");
  std::vector<StoredRecord> batch = {
      {0, 0, 0, {{200, "new one"}}}, {mfn, 0, 7, {{200, "stale"}}}, {0, 0, 0, {{200, "new two"}}}};
  std::vector<WriteOutcome> outcomes = storage_->WriteRecords("DEMO", batch, {}, WordsOf200);
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[0].code, 0);
  EXPECT_EQ(outcomes[0].record.mfn, 2);
  EXPECT_EQ(outcomes[1].code, Code(ReturnCode::VersionConflict));
  EXPECT_EQ(outcomes[2].record.mfn, 3);
  EXPECT_EQ(Mfns("K=NEW"), (std::vector<int32_t>{2, 3}));
}

TEST_F(StorageTest, FullTextFindsWordsAndRejectsBrokenQueries) {
  Add("Война и мир");
  Add("Мир без войны");
  std::optional<std::vector<FullTextHit>> hits = storage_->FullText("DEMO", "\"мир\"", 10);
  ASSERT_TRUE(hits);
  EXPECT_EQ(hits->size(), 2u);
  hits = storage_->FullText("DEMO", "\"войн\"*", 10);
  ASSERT_TRUE(hits);
  EXPECT_EQ(hits->size(), 2u);
  EXPECT_FALSE(storage_->FullText("DEMO", "\"unclosed", 10));
}

TEST_F(StorageTest, AcknowledgedWritesSurviveReopening) {
  Add("durable");
  storage_.reset();
  ASSERT_TRUE(Storage::Open((dir_.path() / "s.sqlite").string(), &storage_).ok());
  EXPECT_EQ(storage_->ReadRecord("DEMO", 1, "").record.fields,
            (std::vector<Field>{{200, "durable"}}));
  EXPECT_EQ(Terms("K=", 5), "K=DURABLE:1");
}

TEST_F(StorageTest, ValuesWithLineBreaksAreStoredWithout) {
  WriteOutcome outcome = Write({0, 0, 0, {{200, "a\r\nb"}}});
  ASSERT_EQ(outcome.code, 0);
  EXPECT_EQ(storage_->ReadRecord("DEMO", outcome.record.mfn, "").record.fields[0].value, "ab");
}

TEST_F(StorageTest, UsersAreAddedChangedListedAndRemoved) {
  EXPECT_FALSE(storage_->FindUser("anna"));
  EXPECT_EQ(storage_->AddUser({"anna", "hash-1", "RC", true}), UserChange::Done);
  EXPECT_EQ(storage_->AddUser({"anna", "hash-2", "", false}), UserChange::Exists);
  EXPECT_EQ(storage_->FindUser("anna")->passwordHash, "hash-1");
  EXPECT_EQ(storage_->ChangeUser({"anna", "hash-3", "", false}), UserChange::Done);
  EXPECT_EQ(storage_->ChangeUser({"boris", "hash-3", "", false}), UserChange::Absent);
  ASSERT_TRUE(storage_->PutUser({"boris", "hash-4", "C", true}));
  std::vector<User> users = storage_->Users();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].name, "anna");
  EXPECT_EQ(users[0].passwordHash, "hash-3");
  EXPECT_EQ(users[0].workstations, "");
  EXPECT_FALSE(users[0].canWrite);
  EXPECT_EQ(users[1].name, "boris");
  EXPECT_TRUE(users[1].canWrite);
  EXPECT_EQ(storage_->RemoveUser("anna"), UserChange::Done);
  EXPECT_EQ(storage_->RemoveUser("anna"), UserChange::Absent);
  EXPECT_FALSE(storage_->FindUser("anna"));
  EXPECT_EQ(storage_->Users().size(), 1u);
}

TEST_F(StorageTest, Settings) {
  ASSERT_TRUE(storage_->PutSettings("[Navigator]\r\nA=1\r\n"));
  EXPECT_EQ(storage_->Settings(), "[Navigator]\r\nA=1\r\n");
}

// A storage file as it was made before passwords were hashed.
class PlainPasswordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SqliteConnection db;
    ASSERT_TRUE(db.Open(File()));
    ASSERT_TRUE(
        db.Execute("PRAGMA journal_mode=WAL;"
                   "CREATE TABLE users(name TEXT PRIMARY KEY, password TEXT NOT NULL, "
                   "workstations TEXT NOT NULL, can_write INTEGER NOT NULL);"
                   "INSERT INTO users VALUES('anna', 'Plain-Anna-Secret', 'RC', 1);"
                   "INSERT INTO users VALUES('boris', 'Plain-Boris-Secret', '', 0);"));
  }
  std::string File() const { return (dir_.path() / "old.sqlite").string(); }
  // True when some file of the directory holds `bytes`.
  bool AnyFileHolds(std::string_view bytes) const {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (content.find(bytes) != std::string::npos) return true;
    }
    return false;
  }

  TempDir dir_;
};

TEST_F(PlainPasswordsTest, OpenReplacesThemByHashesOnce) {
  ASSERT_TRUE(AnyFileHolds("Plain-Anna-Secret"));
  std::unique_ptr<Storage> storage;
  Status status = Storage::Open(File(), &storage);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(storage->convertedUsers(), 2);
  std::optional<User> anna = storage->FindUser("anna");
  ASSERT_TRUE(anna);
  EXPECT_TRUE(VerifyPassword(anna->passwordHash, "Plain-Anna-Secret"));
  EXPECT_EQ(anna->workstations, "RC");
  EXPECT_TRUE(anna->canWrite);
  EXPECT_TRUE(VerifyPassword(storage->FindUser("boris")->passwordHash, "Plain-Boris-Secret"));
  EXPECT_FALSE(AnyFileHolds("Plain-Anna-Secret"));
  EXPECT_FALSE(AnyFileHolds("Plain-Boris-Secret"));
  std::string annaHash = anna->passwordHash;
  storage.reset();

  status = Storage::Open(File(), &storage);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(storage->convertedUsers(), 0);
  EXPECT_EQ(storage->FindUser("anna")->passwordHash, annaHash);
}

}  // namespace
}  // namespace talor::server
