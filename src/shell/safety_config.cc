#include "shell/safety_config.h"

#include "shell/config_keys.h"

namespace talor {
namespace {

std::vector<std::string> DirectoriesOr(const LocalConfig& config, std::string_view key,
                                       const PathContext& context,
                                       std::vector<std::string> defaults) {
  if (!config.ValueExists(config::kSafety, key)) return defaults;
  return ReadDirectoryList(config.ReadString(config::kSafety, key, ""), context);
}

}  // namespace

std::vector<std::string> ReadDirectoryList(std::string_view value, const PathContext& context) {
  std::vector<std::string> directories;
  while (!value.empty()) {
    const size_t semicolon = value.find(';');
    const std::string_view entry = value.substr(0, semicolon);
    if (!PathFromConfig(entry).empty()) directories.push_back(ResolvePath(entry, context));
    value = semicolon == std::string_view::npos ? std::string_view() : value.substr(semicolon + 1);
  }
  return directories;
}

SafetyRules ReadSafetyRules(const LocalConfig& config, const PathContext& context,
                            const std::string& workDirectory) {
  SafetyRules rules;
  rules.libraryDirectories =
      DirectoriesOr(config, config::kLibraryDirs, context, {context.programDir, workDirectory});
  rules.startPrograms = config.ReadBool(config::kSafety, config::kAllowPrograms, false);
  rules.writeDirectories =
      DirectoriesOr(config, config::kWriteDirs, context, {workDirectory, context.programDir});
  return rules;
}

}  // namespace talor
