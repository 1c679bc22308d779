// Feeds any bytes to the INI reader and checks what must hold for every input:
// an unchanged store writes back a text that reads the same, and any value
// written under any key reads back unchanged after a write and a re-read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/ini_file.h"
#include "shell/ini_value.h"
#include "shell/messages.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The input's tail, after its last byte 0x01, is a value to store; the rest
  // is the INI text.
  size_t split = bytes.rfind('\x01');
  std::string_view text = split == std::string_view::npos ? bytes : bytes.substr(0, split);
  std::string_view value = split == std::string_view::npos ? "" : bytes.substr(split + 1);

  talor::IniFile ini = talor::IniFile::FromText(text);
  std::string written = ini.Text();
  talor::IniFile reread = talor::IniFile::FromText(written);
  Check(reread.Text() == written);
  Check(reread.ReadSections() == ini.ReadSections());
  for (const std::string& section : ini.ReadSections()) {
    Check(reread.ReadSection(section) == ini.ReadSection(section));
    for (const std::string& key : ini.ReadSection(section)) {
      Check(reread.ReadString(section, key, "") == ini.ReadString(section, key, ""));
      (void)ini.ReadInteger(section, key, 0);
    }
  }

  std::vector<std::string> sections = ini.ReadSections();
  std::string section = sections.empty() ? "Main" : sections.front();
  if (ini.WriteString(section, "FuzzKey", value)) {
    talor::IniFile after = talor::IniFile::FromText(ini.Text());
    Check(after.ReadString(section, "FuzzKey", "missing") == value);
  }
  // A name taken from the input is either refused or written and read back.
  std::string_view name = value.substr(0, value.find('\x02'));
  if (ini.WriteString(section, name, "v")) {
    Check(talor::IniFile::FromText(ini.Text()).ReadString(section, name, "missing") == "v");
  }

  talor::Messages messages;
  messages.SetAnsiText(text);
  (void)talor::ResolveMessageText(value, messages);
  return 0;
}
