#include "server/posting_codec.h"

#include <gtest/gtest.h>

#include "server/mfn_set.h"

namespace talor::server {
namespace {

const std::vector<Posting> kPostings = {
    {1, 200, 1, 1}, {1, 200, 1, 2},      {1, 700, 2, 1},    {300, 200, 1, 5},
    {301, 0, 0, 0}, {70000, 610, 3, 40}, {70000, -5, 1, 1}, {INT32_MAX, 9999, 1, 1},
};

TEST(PostingCodecTest, RoundTripsAndSkipsUnwantedRecords) {
  std::string bytes = EncodePostings(kPostings);
  std::vector<Posting> all;
  ASSERT_TRUE(DecodePostings(bytes, all));
  EXPECT_EQ(all, kPostings);

  std::vector<Posting> some;
  ASSERT_TRUE(DecodePostings(bytes, some, [](int32_t mfn) { return mfn == 1 || mfn == 70000; }));
  EXPECT_EQ(
      some,
      (std::vector<Posting>{
          {1, 200, 1, 1}, {1, 200, 1, 2}, {1, 700, 2, 1}, {70000, 610, 3, 40}, {70000, -5, 1, 1}}));
  EXPECT_EQ(DecodePostingMfns(bytes), (std::vector<int32_t>{1, 300, 301, 70000, INT32_MAX}));
  EXPECT_EQ(EncodePostings({}), "");
}

// Every cut of the bytes either fails or gives a prefix of the postings
// (a cut between two records reads as the records before it); none reads
// past the end.
TEST(PostingCodecTest, TruncatedBytesNeverReadPastTheEnd) {
  std::string bytes = EncodePostings(kPostings);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<Posting> decoded;
    if (!DecodePostings(std::string_view(bytes).substr(0, cut), decoded)) continue;
    ASSERT_LE(decoded.size(), kPostings.size()) << cut;
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), kPostings.begin())) << cut;
  }
}

TEST(PostingCodecTest, DamagedBytesAreRefused) {
  std::vector<Posting> out;
  EXPECT_FALSE(DecodePostings(std::string("\x01\x05\x02", 3), out));  // length past the end
  EXPECT_FALSE(DecodePostings(std::string("\x00\x00", 2), out));      // MFN gap 0
  EXPECT_FALSE(DecodePostings(std::string("\xFF\xFF\xFF\xFF\x7F\x00", 6), out));  // over 32 bits
  EXPECT_FALSE(DecodePostings(std::string("\x01\x02\x02\x02", 4), out));          // half a posting
  // Two gaps that together pass the largest MFN.
  EXPECT_FALSE(DecodePostings(std::string("\xFF\xFF\xFF\xFF\x07\x00\x02\x00", 8), out));
}

TEST(MfnSetTest, SerializesAndRefusesDamagedBytes) {
  MfnSet set = MfnSet::Of({1, 2, 3, 65535, 65536, 200000});
  std::string bytes = set.Serialize();
  std::optional<MfnSet> back = MfnSet::Deserialize(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ToVector(), (std::vector<int32_t>{1, 2, 3, 65535, 65536, 200000}));
  for (size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_FALSE(MfnSet::Deserialize(std::string_view(bytes).substr(0, cut))) << cut;
  EXPECT_FALSE(MfnSet::Deserialize(bytes + "x"));
}

TEST(MfnSetTest, SetOperationsPortionsAndRanges) {
  MfnSet a = MfnSet::Of({1, 5, 9, 70000});
  MfnSet b = MfnSet::Of({5, 6, 70000});
  MfnSet both = a.Copy();
  both.Intersect(b);
  EXPECT_EQ(both.ToVector(), (std::vector<int32_t>{5, 70000}));
  MfnSet only = a.Copy();
  only.Subtract(b);
  EXPECT_EQ(only.ToVector(), (std::vector<int32_t>{1, 9}));
  std::vector<MfnSet> sets;
  sets.push_back(a.Copy());
  sets.push_back(b.Copy());
  sets.push_back(MfnSet());
  MfnSet all = MfnSet::UnionOf(sets);
  EXPECT_EQ(all.ToVector(), (std::vector<int32_t>{1, 5, 6, 9, 70000}));
  EXPECT_EQ(all.Portion(1, 2), (std::vector<int32_t>{5, 6}));
  EXPECT_EQ(all.Portion(3, 0), (std::vector<int32_t>{9, 70000}));
  EXPECT_TRUE(all.Portion(5, 1).empty());
  EXPECT_TRUE(a.Intersects(2, 5));
  EXPECT_FALSE(a.Intersects(10, 69999));
  EXPECT_FALSE(a.Contains(0));
  EXPECT_FALSE(a.Contains(-1));
}

}  // namespace
}  // namespace talor::server
