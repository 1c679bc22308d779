#include "shell/locations.h"

#include <filesystem>

#include "shell/config_keys.h"
#include "shell/ini_value.h"

namespace talor {

std::string ConfigFilePath(const PathContext& context,
                           std::optional<std::string_view> firstArgument) {
  std::string_view name = config::kDefaultConfigFileName;
  if (firstArgument && !firstArgument->empty()) name = *firstArgument;
  return FindFileIgnoringCase(ProgramRelativePath(name, context));
}

std::string MessageFilePath(const PathContext& context, const LocalConfig& localConfig) {
  std::string name =
      localConfig.ReadString(config::kMain, config::kTalorMsg, config::kDefaultTalorMsg);
  if (TrimBlanks(name).empty()) name = config::kDefaultTalorMsg;
  const std::string path = FindFileIgnoringCase(ProgramRelativePath(name, context));
  // An installed navigator started from a folder without the file takes the
  // one it was installed with.
  const std::string relative = PathFromConfig(name);
  if (!context.dataDir.empty() && !relative.starts_with('/') && !relative.starts_with('~') &&
      !std::filesystem::exists(path)) {
    const std::string installed = FindFileIgnoringCase(context.dataDir + relative);
    if (std::filesystem::exists(installed)) return installed;
  }
  return path;
}

std::string WorkDirectory(const PathContext& context, const LocalConfig& localConfig) {
  return ResolvePath(
      localConfig.ReadString(config::kMain, config::kWorkdir, config::kDefaultWorkdir), context);
}

FormFont ReadFormFont(const LocalConfig& localConfig) {
  FormFont font;
  font.face = localConfig.ReadString(config::kMain, config::kFontName, config::kDefaultFontName);
  if (TrimBlanks(font.face).empty()) font.face = config::kDefaultFontName;
  font.charSet =
      localConfig.ReadInteger(config::kMain, config::kFontCharSet, config::kDefaultFontCharSet);
  return font;
}

ShellFiles OpenShellFiles(const PathContext& context,
                          std::optional<std::string_view> firstArgument) {
  ShellFiles files;
  files.configFile = ConfigFilePath(context, firstArgument);
  files.localConfig = LocalConfig::Open(files.configFile);
  files.messageFile = MessageFilePath(context, files.localConfig);
  files.messagesLoaded = files.messages.LoadFromFile(files.messageFile);
  files.font = ReadFormFont(files.localConfig);
  return files;
}

}  // namespace talor
