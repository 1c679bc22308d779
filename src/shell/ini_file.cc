#include "shell/ini_file.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "platform/file_io.h"
#include "shell/ini_value.h"
#include "text/string_list.h"

namespace talor {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsComment(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The section name of a header line, or nullopt when `line` is no header.
std::optional<std::string_view> HeaderName(std::string_view line) {
  std::string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
  size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(trimmed.substr(1, close - 1));
}

// The line break that `text` uses first: CR LF for CR LF or a lone CR, else LF.
std::string DetectLineBreak(std::string_view text) {
  size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos || text[at] == '\n') return "\n";
  return "\r\n";
}

}  // namespace

IniFile IniFile::Open(std::string path) {
  IniFile store;
  FileContents contents = ReadWholeFile(path, kMaxIniFileBytes);
  switch (contents.status) {
    case FileReadStatus::Read:
      store.SetText(contents.bytes);
      store.loadResult_ = IniLoadResult::Read;
      break;
    case FileReadStatus::Missing:
      store.loadResult_ = IniLoadResult::Missing;
      break;
    case FileReadStatus::Failed:
      store.loadResult_ = IniLoadResult::Unreadable;
      break;
  }
  store.fileName_ = std::move(path);
  return store;
}

IniFile IniFile::FromText(std::string_view text) {
  IniFile store;
  store.SetText(text);
  return store;
}

void IniFile::SetText(std::string_view text) {
  preamble_.clear();
  sections_.clear();
  sectionIndex_.clear();
  byteOrderMark_ = text.starts_with(kByteOrderMark);
  if (byteOrderMark_) text.remove_prefix(kByteOrderMark.size());
  lineBreak_ = DetectLineBreak(text);

  std::vector<Entry>* block = &preamble_;
  for (std::string_view line : SplitLines(text)) {
    if (std::optional<std::string_view> name = HeaderName(line)) {
      Section* existing = FindSection(*name);
      block = existing ? &existing->entries : &AddSection(*name, std::string(line)).entries;
      continue;
    }
    AppendLine(block, line);
  }
}

void IniFile::AppendLine(std::vector<Entry>* block, std::string_view line) {
  Entry entry;
  entry.line = std::string(line);
  std::string_view trimmed = TrimBlanks(line);
  size_t equals = trimmed.find('=');
  if (block != &preamble_ && !IsComment(trimmed) && equals != std::string_view::npos) {
    entry.key = std::string(TrimBlanks(trimmed.substr(0, equals)));
    if (!entry.key.empty()) entry.value = DecodeIniValue(trimmed.substr(equals + 1));
  }
  block->push_back(std::move(entry));
}

std::string IniFile::Text() const {
  std::string text;
  if (byteOrderMark_) text += kByteOrderMark;
  auto writeBlock = [&](const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
      text += entry.line ? *entry.line : entry.key + "=" + EncodeIniValue(entry.value);
      text += lineBreak_;
    }
  };
  writeBlock(preamble_);
  for (const Section& section : sections_) {
    text += section.header ? *section.header : "[" + section.name + "]";
    text += lineBreak_;
    writeBlock(section.entries);
  }
  return text;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  auto found = sectionIndex_.find(FoldIniName(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  auto found = sectionIndex_.find(FoldIniName(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section& IniFile::AddSection(std::string_view name, std::optional<std::string> header) {
  if (!header) {
    // A section added by the program is set off from the one before by a
    // blank line, as a person would write it.
    std::vector<Entry>& previous = sections_.empty() ? preamble_ : sections_.back().entries;
    bool separated = previous.empty() ? sections_.empty()
                                      : previous.back().key.empty() &&
                                            TrimBlanks(previous.back().line.value_or("")).empty();
    if (!separated) previous.push_back(Entry{"", "", std::string()});
  }
  sectionIndex_.emplace(FoldIniName(name), sections_.size());
  sections_.push_back(Section{std::string(name), std::move(header), {}});
  return sections_.back();
}

const IniFile::Entry* IniFile::FindKey(const Section& section, std::string_view key) {
  for (const Entry& entry : section.entries) {
    if (!entry.key.empty() && SameIniName(entry.key, key)) return &entry;
  }
  return nullptr;
}

void IniFile::RebuildIndex() {
  sectionIndex_.clear();
  for (size_t i = 0; i < sections_.size(); ++i) {
    sectionIndex_.emplace(FoldIniName(sections_[i].name), i);
  }
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const Section* found = FindSection(section);
  const Entry* entry = found ? FindKey(*found, key) : nullptr;
  return entry ? entry->value : std::string(defaultValue);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t defaultValue) const {
  const Section* found = FindSection(section);
  const Entry* entry = found ? FindKey(*found, key) : nullptr;
  if (!entry) return defaultValue;
  return ParseIniInteger(entry->value).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsValidIniSection(section) || !IsValidIniKey(key)) return false;
  Section* target = FindSection(section);
  if (!target) target = &AddSection(section, std::nullopt);
  auto& entries = target->entries;
  for (Entry& entry : entries) {
    if (entry.key.empty() || !SameIniName(entry.key, key)) continue;
    if (entry.value != value) {
      entry.value = std::string(value);
      entry.line.reset();
    }
    return true;
  }
  // Trailing blank lines stay at the end, between this section and the next.
  auto insertAt = entries.end();
  while (insertAt != entries.begin()) {
    const Entry& before = *(insertAt - 1);
    if (!before.key.empty() || !TrimBlanks(before.line.value_or("")).empty()) break;
    --insertAt;
  }
  entries.insert(insertAt, Entry{std::string(key), std::string(value), std::nullopt});
  return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  return found && FindKey(*found, key);
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> names;
  const Section* found = FindSection(section);
  if (!found) return names;
  std::unordered_set<std::string> seen;
  for (const Entry& entry : found->entries) {
    if (!entry.key.empty() && seen.insert(FoldIniName(entry.key)).second) {
      names.push_back(entry.key);
    }
  }
  return names;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* found = FindSection(section);
  if (!found) return false;
  size_t removed = std::erase_if(found->entries, [&](const Entry& entry) {
    return !entry.key.empty() && SameIniName(entry.key, key);
  });
  return removed > 0;
}

bool IniFile::EraseSection(std::string_view section) {
  auto found = sectionIndex_.find(FoldIniName(section));
  if (found == sectionIndex_.end()) return false;
  sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(found->second));
  RebuildIndex();
  return true;
}

bool IniFile::UpdateFile() const {
  if (fileName_.empty() || loadResult_ == IniLoadResult::Unreadable) return false;
  return ReplaceFileContents(fileName_, Text());
}

}  // namespace talor
