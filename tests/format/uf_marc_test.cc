// `&umarci(...)`: linked fields with embedded fields.

#include <gtest/gtest.h>

#include "uf_test_util.h"

namespace talor {
namespace {

using testing::MakeRecord;
using testing::Row;
using testing::UfEngine;

TEST(UfMarcTest, EmbeddedFields) {
  UfEngine uf;
  const StringList record = MakeRecord({
      {461, "^aОбщее^eсведения^dт. 2^fред.^c1999^1200#1^aЗаглавие^vт.1^1700^aАвтор"},
      {461, "^1200^AВторое^1010^a5-02"},
  });
  const Row rows[] = {
      {"&umarci('4461/200')", "#1^aЗаглавие^vт.1"},
      {"&umarci('4461/200^a')", "Заглавие"},
      {"&umarci('4461/700^a')", "Автор"},
      // An upper-case code is not tried in lower case.
      {"&umarci('4461/700^A'),'|'", "|"},
      {"&umarci('4461/999'),'|'", "|"},
      {"(v461^1,'<',&umarci('4461/200^a'),'>')", "200#1<Заглавие>200<Второе><>"},
      {"&umarci('0461')", "200,700"},
      {"&umarci('0461#2')", "200,010"},
      {"&umarci('1461#2/010^a')", "5-02"},
      {"&umarci('2461')", "2"},
      {"&umarci('2461#3')", "0"},
      {"&umarci('3461')", "^aОбщее^eсведения^dт. 2^fред.^c1999"},
      {"&umarci('5461')", "Общее: сведения; т. 2; ред.; 1999"},
      {"&umarci('9461'),'|'", "|"},
      {"&umarci(''),'|'", "|"},
  };
  testing::ExpectRows(uf, rows, record);
}

}  // namespace
}  // namespace talor
