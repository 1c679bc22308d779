// The dispatch of the keyed library: key tables, argument clean-up, names,
// and the keys that only the server can evaluate.

#include <gtest/gtest.h>

#include <set>

#include "format/uf_library.h"
#include "uf_test_util.h"

namespace talor {
namespace {

using testing::Outcome;
using testing::Row;
using testing::UfEngine;

TEST(UfDispatchTest, KeyTablesHaveNoDuplicateKeys) {
  for (std::span<const UfKey> table : {UniforKeys(), UniforPlusKeys(), UniforPlusNineKeys()}) {
    std::set<char> keys;
    for (const UfKey& entry : table) {
      EXPECT_TRUE(keys.insert(entry.key).second) << "duplicate key " << entry.key;
      EXPECT_NE(nullptr, entry.function) << entry.key;
      EXPECT_FALSE(entry.key >= 'a' && entry.key <= 'z') << "keys are upper case: " << entry.key;
    }
  }
}

TEST(UfDispatchTest, NamesAndArguments) {
  UfEngine uf;
  const Row rows[] = {
      {"&uf('9a\"b')", "ab"},
      {"&unifor('9a\"b')", "ab"},
      {"&UF('9x')", "x"},
      {"&nosuchfunction('9x'),'|'", "|"},
      {"&uf(''),'|'", "|"},
      // A first character outside ! .. [ selects nothing.
      {"&uf('~abc'),'|'", "|"},
      {"&uf(' 9abc'),'|'", "|"},
      // Trailing line ends leave the argument before the call.
      {"&uf('9ab',#),'|'", "ab|"},
      // The first character is upper-cased: `q` is key Q.
      {"&uf('qABC')", "abc"},
      // A key that is not in the table gives nothing.
      {"&uf('5abc'),'|'", "|"},
      {"&uf('+Wabc'),'|'", "|"},
  };
  testing::ExpectRows(uf, rows);
}

TEST(UfDispatchTest, ServerOnlyKeysNeedTheServer) {
  for (const char* format :
       {"&uf('2x')", "&uf('4x')", "&uf('7')", "&uf('Dabc')", "&uf('Jx')", "&uf('L')", "&uf('+P')",
        "&uf('+3Jx')", "&uf('+9A')", "&uf('+9P')", "&uf('+Xabc')", "'before',&uf('+9N')"}) {
    UfEngine uf;
    EXPECT_EQ((Outcome{"", 999}), uf.Run(format)) << format;
  }
}

TEST(UfDispatchTest, OverlongArgumentIsCutNotRefused) {
  UfEngine uf;
  const std::string text(40000, 'x');
  const std::string out = uf.Out("&uf('9" + text + "')");
  EXPECT_EQ(kMaxArgument - 1, out.size());
}

}  // namespace
}  // namespace talor
