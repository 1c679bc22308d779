#include "platform/window_messages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace talor {
namespace {

constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

TEST(MessageLineTest, EncodedLinesReadBackUnchanged) {
  const WindowMessage messages[] = {
      {kHandOverMessage, 0, 0},
      {kHandOverMessage, 0, 2147483647},
      {0, -1, -42},
      {std::numeric_limits<uint32_t>::max(), kMin64, kMax64},
  };
  for (const WindowMessage& message : messages) {
    const std::string line = EncodeMessageLine(message);
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(ParseMessageLine(std::string_view(line).substr(0, line.size() - 1)), message) << line;
  }
  EXPECT_EQ(EncodeMessageLine({kHandOverMessage, 0, 77}), "2024 0 77\n");
}

TEST(MessageLineTest, AcceptsCarriageReturnAndSignedParameters) {
  EXPECT_EQ(ParseMessageLine("2024 0 77\r"), (WindowMessage{2024, 0, 77}));
  EXPECT_EQ(ParseMessageLine("5 +3 -9"), (WindowMessage{5, 3, -9}));
}

TEST(MessageLineTest, RejectsAnythingButThreeNumbersInRange) {
  const char* const lines[] = {
      "",
      "2024",
      "2024 0",
      "2024 0 0 0",
      "2024  0 0",
      " 2024 0 0",
      "2024 0 0 ",
      "2024\t0 0",
      "2024 0 0\r\r",
      "-1 0 0",
      "+1 0 0",
      "4294967296 0 0",
      "1 9223372036854775808 0",
      "1 0 -9223372036854775809",
      "1 0 x",
      "1 0 0x10",
      "1 - 0",
      "message 0 0",
  };
  for (const char* line : lines) EXPECT_EQ(ParseMessageLine(line), std::nullopt) << line;
}

TEST(WindowSocketNameTest, NamesReadBack) {
  const std::string name = WindowSocketName(kNavigatorWindowClass, 2147483647);
  EXPECT_EQ(name, "TTalorNavigatorForm.2147483647");
  const std::optional<WindowName> parsed = ParseWindowSocketName(name);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->windowClass, kNavigatorWindowClass);
  EXPECT_EQ(parsed->handle, 2147483647);
}

TEST(WindowSocketNameTest, RejectsNamesThatNoWindowHas) {
  const std::string longClass(kMaxWindowClassLength + 1, 'A');
  const std::string names[] = {
      "TWBMAINFORM",    "TWBMAINFORM.",           ".5",
      "TWBMAINFORM.0",  "TWBMAINFORM.05",         "TWBMAINFORM.-5",
      "TWBMAINFORM.5a", "TWBMAINFORM.2147483648", "T-B.5",
      "a.b.5",          longClass + ".5",         "TWBMAINFORM.5.tmp",
  };
  for (const std::string& name : names) {
    EXPECT_EQ(ParseWindowSocketName(name), std::nullopt) << name;
  }
  EXPECT_TRUE(ParseWindowSocketName(std::string(kMaxWindowClassLength, 'A') + ".5"));
}

TEST(WindowClassTest, ClassesCompareWithoutLetterCase) {
  EXPECT_TRUE(SameWindowClass("TWBMAINFORM", "TWbMainForm"));
  EXPECT_FALSE(SameWindowClass("TWBMAINFORM", "TWBMAINFORM2"));
  EXPECT_FALSE(SameWindowClass("TWBMAINFORM", ""));
  EXPECT_TRUE(IsValidWindowClass("T_Form2"));
  EXPECT_FALSE(IsValidWindowClass(""));
  EXPECT_FALSE(IsValidWindowClass("../x"));
  EXPECT_FALSE(IsValidWindowClass("Форма"));
}

}  // namespace
}  // namespace talor
