// An in-memory INI store: the local configuration file and the settings that
// the server sends at registration.
//
// A file is read whole when the store is opened; changes stay in memory until
// UpdateFile rewrites the whole file. Section and key names are compared
// without regard to case, and `[Main]` and `[MAIN]` are one section. Values are
// byte strings kept exactly as the file holds them: the store converts no code
// page, so each reader converts what it reads (addresses are UTF-8, texts sent
// by the server are ANSI). See shell/ini_value.h for how a value is written.
//
// Parsing accepts any bytes. Lines that are neither a section header nor a
// key — comments, blank lines, anything unreadable, and every line before the
// first header — are kept where they stand and written back unchanged; so is
// a key line that the program did not change. Of two sections with the same
// name the second is joined to the first; of two keys with the same name in a
// section the first one counts.

#ifndef TALOR_SHELL_INI_FILE_H_
#define TALOR_SHELL_INI_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace talor {

// The largest configuration file that is read; a larger one is not read.
inline constexpr size_t kMaxIniFileBytes = 16 * 1024 * 1024;

enum class IniLoadResult {
  Read,        // the file was read
  Missing,     // there was no file: the store starts empty
  Unreadable,  // the file exists but could not be read: the store starts
               // empty and UpdateFile refuses to overwrite the file
  NoFile,      // the store was made from text or empty, without a file
};

class IniFile {
 public:
  // An empty store without a file.
  IniFile() = default;

  // Opens the store of the file at `path`. A missing file gives an empty store
  // that UpdateFile will create.
  static IniFile Open(std::string path);
  // A store holding `text`, without a file (the server-provided settings).
  static IniFile FromText(std::string_view text);

  const std::string& FileName() const { return fileName_; }
  IniLoadResult LoadResult() const { return loadResult_; }

  // Replaces the whole contents by the parsed `text`; the file name stays.
  void SetText(std::string_view text);
  // The contents as they would be written to the file: line breaks as in the
  // text that was read (LF when it had none), a final line break included.
  std::string Text() const;

  // The value of `key` in `section`; `defaultValue` when the key is missing.
  // A key that is present with an empty value reads as the empty text.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // The value read as a decimal integer; `defaultValue` when the key is
  // missing or its value is not a number of the 32-bit range.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // An integer value: 0 is false, any other number true; `defaultValue` as
  // for ReadInteger.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Sets the value of `key` in `section`, adding the key (at the end of the
  // section, before its trailing blank lines) or the section (at the end) when
  // missing. Returns false and changes nothing when the section or key name
  // cannot be written (see IsValidIniSection, IsValidIniKey).
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);
  // Writes 1 for true and 0 for false.
  bool WriteBool(std::string_view section, std::string_view key, bool value);

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // Names of the sections in file order, as first written.
  std::vector<std::string> ReadSections() const;
  // Names of the keys of `section` in file order, each name once; empty when
  // the section is missing.
  std::vector<std::string> ReadSection(std::string_view section) const;

  // Removes every line of `key` in `section`. Returns false when there was none.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes `section` with all its lines. Returns false when it was missing.
  bool EraseSection(std::string_view section);

  // Rewrites the whole file from memory (see ReplaceFileContents). Returns
  // false, leaving the file as it was, when the store has no file, when the
  // file could not be read at Open, or when writing fails.
  bool UpdateFile() const;

 private:
  // One line of a section. A key line has a non-empty key; every other line is
  // kept verbatim in `line`. A key line keeps its original text in `line`
  // until its value is changed.
  struct Entry {
    std::string key;
    std::string value;
    std::optional<std::string> line;
  };
  struct Section {
    std::string name;
    std::optional<std::string> header;  // the original header line
    std::vector<Entry> entries;
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& AddSection(std::string_view name, std::optional<std::string> header);
  static const Entry* FindKey(const Section& section, std::string_view key);
  void AppendLine(std::vector<Entry>* block, std::string_view line);
  void RebuildIndex();

  // Constant after Open.
  std::string fileName_;
  IniLoadResult loadResult_ = IniLoadResult::NoFile;

  // The text's form, fixed by the last SetText.
  bool byteOrderMark_ = false;
  std::string lineBreak_ = "\n";

  // Contents.
  std::vector<Entry> preamble_;  // lines before the first section header
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> index
};

// The two stores of the navigator: the local configuration file and the
// settings that the server sends at registration (never saved).
using LocalConfig = IniFile;
using ServerSettings = IniFile;

}  // namespace talor

#endif  // TALOR_SHELL_INI_FILE_H_
