// Keys that reach outside the record: nested format files, server
// resources, local files, other programs and external libraries.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "client/record.h"
#include "format/format_loading.h"
#include "format/start_process.h"
#include "format/uf_library.h"
#include "platform/dynamic_library.h"
#include "text/encoding.h"
#include "text/file_names.h"
#include "text/subfields.h"
#include "text/url_coding.h"

namespace talor {
namespace {

constexpr int32_t kInternalResourceTag = 953;
constexpr std::string_view kWriteFailed = "Format error &uf('+9D...";
// An external function's buffer grows by this much each time it asks.
constexpr size_t kLibraryBufferStep = 32000;
// It never grows beyond this.
constexpr size_t kMaxLibraryBuffer = 64u << 20;
// Files larger than this are not encoded by `+9J`.
constexpr std::uintmax_t kMaxEncodedFile = 16u << 20;

std::string_view LineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> SplitCommas(std::string_view text, size_t parts) {
  std::vector<std::string_view> pieces;
  while (pieces.size() + 1 < parts) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) break;
    pieces.push_back(text.substr(0, comma));
    text.remove_prefix(comma + 1);
  }
  pieces.push_back(text);
  return pieces;
}

// The files of the directory of `pathMask` whose names match its last part,
// in name order.
std::vector<std::filesystem::path> MatchingFiles(std::string_view pathMask) {
  namespace fs = std::filesystem;
  const fs::path mask{std::string(pathMask)};
  const fs::path directory = mask.has_parent_path() ? mask.parent_path() : fs::path(".");
  const std::string pattern = mask.filename().string();
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with('.') || !WildcardMatch(pattern, name)) continue;
    if (it->is_regular_file(error)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int32_t UfNestedFormat(UfCall& call, std::string& result) {
  const std::string_view name = call.p;
  if (name.empty()) return 0;
  FormatEngine& engine = call.engine();
  const std::string text =
      LoadFormat(engine.fileReader(), call.database(), "@" + std::string(name));
  const int64_t counter = engine.uniforState.counter;
  const bool suppress = engine.suppressMarkup;
  engine.suppressMarkup = true;
  std::string output;
  const int32_t code = engine.RunFormat(call.mutableRecord(), call.database(), name,
                                        kFormatOutputCapacity, output, text);
  engine.suppressMarkup = suppress;
  engine.uniforState.counter = counter;
  if (code != 0) return code;
  result = LineEnd(output);
  return 0;
}

int32_t UfStartProgram(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  if (!call.engine().safety().MayStartPrograms()) {
    result = ProgramRefusedText(call.p);
    return 0;
  }
  StartProcess(call.p, ShowState::kNormal, false);
  return 0;
}

int32_t UfLibraryCall(UfCall& call, std::string& result) {
  const std::vector<std::string_view> parts = SplitCommas(call.p, 3);
  if (parts.size() < 2) return 0;
  std::string_view library = parts[0];
  // Both calling conventions are the platform's own here.
  if (library.starts_with('*')) library.remove_prefix(1);
  const std::string function(parts[1]);
  const std::string text(parts.size() > 2 ? parts[2] : std::string_view());
  if (library.empty() || function.empty()) return 0;
  const LibraryLookup lookup = call.engine().safety().FindLibrary(library);
  if (lookup.status == LibraryLookup::Status::Refused) {
    result = LibraryRefusedText(library);
    return 0;
  }
  std::optional<DynamicLibrary> handle = DynamicLibrary::Open(lookup.path);
  if (!handle) return 0;
  const ExternalTextFunction external = handle->TextFunction(function);
  if (external == nullptr) return 0;
  // One byte beyond the capacity stays NUL, for a function that fills the
  // buffer without ending the text.
  std::vector<char> buffer(kLibraryBufferStep + 1, '\0');
  while (external(text.c_str(), buffer.data(), static_cast<int32_t>(buffer.size() - 1)) == -1) {
    if (buffer.size() + kLibraryBufferStep > kMaxLibraryBuffer) return 0;
    buffer.assign(buffer.size() + kLibraryBufferStep, '\0');
  }
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  result.assign(buffer.begin(), end);
  return 0;
}

int32_t UfResource(UfCall& call, std::string& result) {
  const std::vector<std::string_view> parts = SplitCommas(call.p, 3);
  if (parts.size() < 3) return 0;
  const std::optional<int64_t> kind = WholeNumber(parts[0]);
  FormatFileReader* reader = call.engine().fileReader();
  if (!kind || reader == nullptr || parts[2].empty()) return 0;
  const std::string_view place = parts[1].empty() ? call.database() : parts[1];
  const std::optional<std::string> text =
      reader->ReadTextFile(static_cast<int>(*kind), place, parts[2]);
  if (!text) return 0;
  if (call.iteration() > 0) {
    const std::vector<std::string> lines = TextLines(*text);
    if (static_cast<size_t>(call.iteration()) <= lines.size()) {
      result = AnsiToUtf8(lines[static_cast<size_t>(call.iteration() - 1)]);
    }
    return 0;
  }
  result = AnsiToUtf8(*text);
  return 0;
}

int32_t UfWriteResource(UfCall& call, std::string& result) {
  const size_t hash = call.p.find('#');
  if (hash == std::string_view::npos) return 0;
  const std::string_view number = call.p.substr(0, hash);
  std::string path(call.p.substr(hash + 1));
  const int64_t n = number == "*" ? call.iteration() : WholeNumber(number).value_or(1);
  const int field = RecordFindField(call.record(), kInternalResourceTag,
                                    static_cast<int>(std::clamp<int64_t>(n, 0, INT32_MAX)));
  if (field < 0 || path.empty()) return 0;
  const std::string& value = call.record()[kRecordHeaderLines + field - 1].text;
  if (!std::filesystem::path(path).has_extension()) path += "." + GetSubfield(value, 'A');
  // Checked on the final name: the extension comes from the record.
  if (!call.engine().safety().MayWrite(path)) {
    result = WriteRefusedText(path);
    return 0;
  }
  const std::string content = UrlDecodeForm(GetSubfield(value, 'B'));
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  file.close();
  if (!file) result = kWriteFailed;
  return 0;
}

int32_t UfFileToUrl(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  const std::vector<std::filesystem::path> files = MatchingFiles(call.p);
  if (files.empty()) return 0;
  std::error_code error;
  if (std::filesystem::file_size(files[0], error) > kMaxEncodedFile || error) return 0;
  std::ifstream file(files[0], std::ios::binary);
  const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::string extension = files[0].extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  result = "^A" + extension + "^B" + UrlEncode(content);
  return 0;
}

int32_t UfDeleteFiles(UfCall& call, std::string& result) {
  if (call.p.empty()) return 0;
  if (!call.engine().safety().MayWrite(call.p)) {
    result = WriteRefusedText(call.p);
    return 0;
  }
  DeleteFilesByMask(call.p);
  return 0;
}

}  // namespace talor
