// The safety rules' decisions on libraries and written files.

#include "format/safety_policy.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace talor {
namespace {

namespace fs = std::filesystem;
using Status = LibraryLookup::Status;

class SafetyPolicyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talor-safety-XXXXXX").string();
    root_ = fs::path(mkdtemp(pattern.data()));
    fs::create_directories(root_ / "allowed" / "sub");
    fs::create_directories(root_ / "outside");
    std::ofstream(root_ / "allowed" / "plugin.so") << "x";
    std::ofstream(root_ / "outside" / "evil.so") << "x";
    fs::create_directory_symlink(root_ / "outside", root_ / "allowed" / "link");
    fs::create_symlink(root_ / "outside" / "evil.so", root_ / "allowed" / "alias.so");
    SafetyRules rules;
    rules.libraryDirectories = {(root_ / "allowed").string()};
    rules.writeDirectories = {(root_ / "allowed").string() + "/"};
    policy_ = SafetyPolicy(rules);
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string At(const std::string& relative) const { return (root_ / relative).string(); }

  fs::path root_;
  SafetyPolicy policy_;
};

TEST_F(SafetyPolicyTest, LibrariesComeOnlyFromTheAllowedDirectories) {
  const LibraryLookup bare = policy_.FindLibrary("plugin");
  EXPECT_EQ(Status::Found, bare.status);
  EXPECT_EQ(At("allowed/plugin.so"), bare.path);
  EXPECT_EQ(Status::Found, policy_.FindLibrary(At("allowed/sub/../plugin.so")).status);
  EXPECT_EQ(Status::NotFound, policy_.FindLibrary("missing.so").status);
  EXPECT_EQ(Status::NotFound, policy_.FindLibrary("libc.so.6").status);
  EXPECT_EQ(Status::Refused, policy_.FindLibrary(At("outside/evil.so")).status);
  EXPECT_EQ(Status::Refused, policy_.FindLibrary(At("allowed/../outside/evil.so")).status);
  // Symbolic links inside the directory do not lead out of it.
  EXPECT_EQ(Status::Refused, policy_.FindLibrary(At("allowed/link/evil.so")).status);
  EXPECT_EQ(Status::NotFound, policy_.FindLibrary("alias.so").status);
}

TEST_F(SafetyPolicyTest, WritesOnlyInsideTheWriteDirectories) {
  EXPECT_TRUE(policy_.MayWrite(At("allowed/new.txt")));
  EXPECT_TRUE(policy_.MayWrite(At("allowed/sub/deeper/new.txt")));
  EXPECT_TRUE(policy_.MayWrite(At("allowed/*.JPG")));
  EXPECT_FALSE(policy_.MayWrite(At("allowed/../outside/new.txt")));
  EXPECT_FALSE(policy_.MayWrite(At("allowed/link/new.txt")));
  EXPECT_FALSE(policy_.MayWrite(At("allowedness/new.txt")));
  EXPECT_FALSE(policy_.MayWrite(""));
}

TEST_F(SafetyPolicyTest, DefaultPolicyAllowsNothing) {
  const SafetyPolicy closed;
  EXPECT_FALSE(closed.MayStartPrograms());
  EXPECT_FALSE(closed.MayWrite(At("allowed/new.txt")));
  EXPECT_EQ(Status::Refused, closed.FindLibrary(At("allowed/plugin.so")).status);
  EXPECT_EQ(Status::NotFound, closed.FindLibrary("plugin.so").status);
}

}  // namespace
}  // namespace talor
