// The interpreter finds a field's occurrences through an index of the record
// that it builds as the format runs. Whatever changes the record, or the
// record being read, during a run must be seen by the field commands that
// follow: built-ins that add, delete or reorder fields, a nested format call
// that does so, and REF reading another record.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "format/format_engine.h"
#include "format/format_services.h"
#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Outcome;
using testing::Row;
using testing::UfEngine;

StringList Book() {
  return MakeRecord({{10, "^a5-02-013"},
                     {700, "^aPushkin"},
                     {910, "^a0^b1"},
                     {910, "^AR^B3/INV0098"},
                     {606, "^aProse"},
                     {700, "^aGogol"},
                     {606, "^aDrama"}});
}

TEST(RecordChangesTest, FieldsReadBeforeAndAfterABuiltinChangesTheRecord) {
  UfEngine uf;
  uf.files.files["mark.pft"] = "&uf('+Mnested')";
  const Row rows[] = {
      // +M puts field 991 first: every other field moves one line down.
      {"v10^a,'|',v700^a,'|',&uf('+Mnew'),v991,'|',v10^a,'|',(v700^a+|;|)",
       "5-02-013|PushkinGogol|new|5-02-013|Pushkin;Gogol"},
      {"v991,'|',&uf('+Mone'),v991,'|',&uf('+Mtwo'),(v991+|;|),'|',v606^a", "|one|two|ProseDrama"},
      // Z turns the grouped copy into three.
      {"(v910^b+|;|),'|',&uf('Z'),(v910^b+|;|),'|',v606^a",
       "1;3/INV0098|1;INV0098;INV0099;INV0100|ProseDrama"},
      {"(v700^a,| |v606^a),'|',&uf('MD700^A'),(v700^a,| |v606^a)",
       "Pushkin ProseGogol Drama|Pushkin ProseGogol Drama"},
      {"(v700^a+|;|),'|',&uf('MA700^A'),(v700^a+|;|),'|',if p(v606) then 'yes' fi",
       "Pushkin;Gogol|Gogol;Pushkin|yes"},
      // A nested format call changes the record of the calling format.
      {"v10^a,'|',v991,'|',&uf('6mark'),'|',v991,'|',v10^a", "5-02-013|||nested|5-02-013"},
  };
  testing::ExpectRows(uf, rows, Book());
}

// The other record of REF is read through the server; the fields after it
// are the formatted record's again.
class OneOtherRecord : public FormatServer {
 public:
  std::optional<StringList> ReadRecord(std::string_view, int32_t mfn) override {
    if (mfn == 5) return MakeRecord({{606, "^aOther"}, {700, "^aTolstoy"}}, 5);
    return std::nullopt;
  }
};

TEST(RecordChangesTest, RefReadsAnotherRecordAndComesBack) {
  FormatEngine engine;
  OneOtherRecord server;
  engine.SetServer(&server);
  EXPECT_EQ((Outcome{"Prose;Drama|Other/Tolstoy|Prose;Drama|Pushkin;Gogol", 0}),
            testing::Apply(engine,
                           "(v606^a+|;|),'|',ref(5,(v606^a+|;|),'/',v700^a),'|',(v606^a+|;|),'|',"
                           "(v700^a+|;|)",
                           Book()));
  // Inside a group REF reads the iteration's occurrence of the other record.
  EXPECT_EQ((Outcome{"Prose-Tolstoy;Drama-;-;", 0}),
            testing::Apply(engine, "(v606^a,'-',ref(5,v700^a),';')", Book()));
}

}  // namespace
}  // namespace talor
