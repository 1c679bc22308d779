// Section [Safety] of the local configuration: its defaults and its keys.

#include "shell/safety_config.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/config_keys.h"

namespace talor {
namespace {

PathContext Context() {
  PathContext context;
  context.programDir = "/opt/talor/";
  context.homeDir = "/home/reader";
  return context;
}

TEST(SafetyConfigTest, DefaultsAllowOnlyTheProgramAndWorkDirectories) {
  const LocalConfig config;
  const SafetyRules rules = ReadSafetyRules(config, Context(), "/var/work/");
  EXPECT_EQ((std::vector<std::string>{"/opt/talor/", "/var/work/"}), rules.libraryDirectories);
  EXPECT_FALSE(rules.startPrograms);
  EXPECT_EQ((std::vector<std::string>{"/var/work/", "/opt/talor/"}), rules.writeDirectories);
}

TEST(SafetyConfigTest, KeysReplaceTheDefaults) {
  LocalConfig config = LocalConfig::FromText(
      "[Safety]\n"
      "LibraryDirs= lib ; d:\\plugins\\;;~/talor-lib\n"
      "AllowPrograms=1\n"
      "WriteDirs=\n"
      "[Other]\n");
  const SafetyRules rules = ReadSafetyRules(config, Context(), "/var/work/");
  EXPECT_EQ((std::vector<std::string>{"/opt/talor/lib/", "/plugins/", "/home/reader/talor-lib/"}),
            rules.libraryDirectories);
  EXPECT_TRUE(rules.startPrograms);
  // Present but empty: no directory at all.
  EXPECT_TRUE(rules.writeDirectories.empty());
}

TEST(SafetyConfigTest, OldDefaultWorkDirectoryIsTheUsersWorkDirectory) {
  LocalConfig config = LocalConfig::FromText("[Safety]\nWriteDirs=c:\\TalorWrk\\;.\n");
  EXPECT_EQ((std::vector<std::string>{DefaultWorkDirectory(Context()), "/opt/talor/"}),
            ReadSafetyRules(config, Context(), "/var/work/").writeDirectories);
}

TEST(SafetyConfigTest, AnythingButANumberKeepsProgramsForbidden) {
  LocalConfig config = LocalConfig::FromText("[Safety]\nAllowPrograms=yes\n");
  EXPECT_FALSE(ReadSafetyRules(config, Context(), "/var/work/").startPrograms);
}

}  // namespace
}  // namespace talor
