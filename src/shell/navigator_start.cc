#include "shell/navigator_start.h"

#include "format/format_engine.h"
#include "shell/config_keys.h"
#include "text/encoding.h"

namespace talor {
namespace {

constexpr std::string_view kHelpPage = "TALOR:3,0,,Talor_Navigator_Help0.html";

SettingsLookup SectionLookup(const ServerSettings& settings, std::string_view section) {
  return [&settings, section](std::string_view key) -> std::optional<std::string> {
    if (!settings.ValueExists(section, key)) return std::nullopt;
    return settings.ReadString(section, key, "");
  };
}

}  // namespace

FirstPage TakeFirstPage(LocalConfig& config, const ServerSettings& serverSettings) {
  FirstPage page;
  page.url = config.ReadString(config::kContext, config::kInitURL, "");
  config.WriteString(config::kContext, config::kInitURL, "");
  config.UpdateFile();
  if (!page.url.empty()) {
    page.returnHandle = config.ReadInteger(config::kContext, config::kReturnHandle, 0);
    return page;
  }
  const std::string help =
      serverSettings.ReadString(config::kNavigator, config::kHelpURL, std::string(kHelpPage));
  page.url = AnsiToUtf8(serverSettings.ReadString(config::kNavigator, config::kInitURL, help));
  return page;
}

NavigatorSettings ApplyServerSettings(const ServerSettings& serverSettings, Transport& transport,
                                      SessionFormatServices& services) {
  StartFormatEngine();
  FormatEngine& engine = DefaultFormatEngine();
  engine.SetFileReader(&services);
  engine.SetServer(&services);
  InstallFormatTables(
      [&serverSettings](std::string_view section,
                        std::string_view key) -> std::optional<std::string> {
        if (!serverSettings.ValueExists(section, key)) return std::nullopt;
        return serverSettings.ReadString(section, key, "");
      },
      nullptr, nullptr, nullptr);
  ApplyTransportSettings(serverSettings, transport);
  return ReadNavigatorSettings(SectionLookup(serverSettings, config::kNavigator),
                               SectionLookup(serverSettings, config::kMain));
}

}  // namespace talor
