#include "shell/session_external_actions.h"

#include "shell/ini_file.h"
#include "shell/message_numbers.h"

namespace talor {

std::string SessionExternalActions::ErrorCaption() const {
  return core_.messages().Text(message::kErrorCaption);
}

std::string SessionExternalActions::UserName() const { return core_.session().values().user; }

std::string SessionExternalActions::UserPassword() const {
  return core_.session().values().password;
}

bool WriteIniFileValues(const std::string& path, std::string_view section,
                        const ExternalActionHost::IniValues& values) {
  // UpdateFile refuses a file that exists but could not be read, which
  // would otherwise lose everything but the new keys.
  IniFile file = IniFile::Open(path);
  for (const auto& [key, value] : values) {
    if (!file.WriteString(section, key, value)) return false;
  }
  return file.UpdateFile();
}

}  // namespace talor
