#include "server/password_hash.h"

#include <gtest/gtest.h>

namespace talor::server {
namespace {

TEST(PasswordHashTest, AHashVerifiesItsPasswordOnly) {
  std::optional<std::string> hash = HashPassword("Война и мир 1869");
  ASSERT_TRUE(hash);
  EXPECT_TRUE(IsPasswordHash(*hash));
  EXPECT_EQ(hash->find("Война"), std::string::npos);
  EXPECT_TRUE(VerifyPassword(*hash, "Война и мир 1869"));
  for (std::string_view other : {"Война и мир 1868", "война и мир 1869", "Война и мир 186", ""})
    EXPECT_FALSE(VerifyPassword(*hash, other)) << other;
}

TEST(PasswordHashTest, EveryHashHasItsOwnSaltAndTheChosenCost) {
  std::optional<std::string> first = HashPassword("same");
  std::optional<std::string> second = HashPassword("same");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_TRUE(VerifyPassword(*second, "same"));
  EXPECT_NE(first->find("$m=" + std::to_string(kPasswordMemoryBytes / 1024) +
                        ",t=" + std::to_string(kPasswordPasses) + ","),
            std::string::npos)
      << *first;
}

TEST(PasswordHashTest, PasswordsWithZeroBytesAreHashedWhole) {
  std::string withZero("ab\0cd", 5);
  std::optional<std::string> hash = HashPassword(withZero);
  ASSERT_TRUE(hash);
  EXPECT_TRUE(VerifyPassword(*hash, withZero));
  EXPECT_FALSE(VerifyPassword(*hash, "ab"));
}

TEST(PasswordHashTest, TextsThatAreNotHashesVerifyNothing) {
  std::optional<std::string> hash = HashPassword("pw");
  ASSERT_TRUE(hash);
  std::string broken = *hash;
  broken.back() = broken.back() == 'A' ? 'B' : 'A';
  for (const std::string& text :
       {std::string("pw"), std::string(), hash->substr(0, hash->size() - 5), broken,
        *hash + std::string(200, 'x'), std::string("$argon2id$\0pw", 13)}) {
    EXPECT_FALSE(VerifyPassword(text, "pw")) << text;
  }
  EXPECT_FALSE(IsPasswordHash("pw"));
  EXPECT_FALSE(IsPasswordHash("$argon2i$v=19$m=4096,t=3,p=1$c2FsdHNhbHQ$aGFzaA"));
}

// A request without its password parameter hands over an empty view
// without bytes; the library must still be given a pointer.
TEST(PasswordHashTest, AnEmptyPasswordWithoutBytesIsHashedAndVerified) {
  std::optional<std::string> hash = HashPassword(std::string_view());
  ASSERT_TRUE(hash);
  EXPECT_TRUE(VerifyPassword(*hash, std::string_view()));
  EXPECT_TRUE(VerifyPassword(*hash, ""));
  EXPECT_FALSE(VerifyPassword(*hash, "x"));
  std::optional<std::string> other = HashPassword("pw");
  ASSERT_TRUE(other);
  EXPECT_FALSE(VerifyPassword(*other, std::string_view()));
}

}  // namespace
}  // namespace talor::server
