#include "server/user_words.h"

#include <gtest/gtest.h>

namespace talor::server {
namespace {

TEST(UserWordsTest, NamesAndPasswordsMustTravelAsOneLine) {
  EXPECT_TRUE(IsValidUserName("librarian"));
  EXPECT_TRUE(IsValidUserName("Библиотекарь"));
  EXPECT_TRUE(IsValidUserName(std::string(kMaxUserNameBytes, 'a')));
  for (std::string_view bad : {"", "an na", "anna\n", "anna\t", "\x7f"})
    EXPECT_FALSE(IsValidUserName(bad)) << bad;
  EXPECT_FALSE(IsValidUserName(std::string(kMaxUserNameBytes + 1, 'a')));

  EXPECT_TRUE(IsValidPassword("with blanks and ünïcödé"));
  for (std::string_view bad : {std::string_view(""), std::string_view("a\nb"),
                               std::string_view("a\r"), std::string_view("a\0b", 3)})
    EXPECT_FALSE(IsValidPassword(bad));
  EXPECT_TRUE(IsValidPassword(std::string(kMaxPasswordBytes, 'p')));
  EXPECT_FALSE(IsValidPassword(std::string(kMaxPasswordBytes + 1, 'p')));
}

TEST(UserWordsTest, RightsAndWorkstationsRoundTrip) {
  EXPECT_EQ(ParseRights("write"), true);
  EXPECT_EQ(ParseRights("read"), false);
  EXPECT_EQ(ParseRights("Write"), std::nullopt);
  EXPECT_EQ(ParseRights(RightsWord(true)), true);
  EXPECT_EQ(ParseRights(RightsWord(false)), false);

  EXPECT_EQ(ParseWorkstations("-"), "");
  EXPECT_EQ(ParseWorkstations("RC"), "RC");
  for (std::string_view bad : {"", "R C", "RR", "R-", "--"})
    EXPECT_EQ(ParseWorkstations(bad), std::nullopt) << bad;
  for (std::string_view codes : {"", "RC", "X"})
    EXPECT_EQ(ParseWorkstations(WorkstationsWord(codes)), codes);
}

}  // namespace
}  // namespace talor::server
