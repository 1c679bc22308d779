#include "shell/locations.h"

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
  return FindFileIgnoringCase(ProgramRelativePath(name, context));
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
