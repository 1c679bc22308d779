// Any bytes as a JPEG or a GIF page image: underlining must fail cleanly or
// write an image that decodes again at the same size. The same bytes are also
// read as word-position answer lines.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gif_codec.h"
#include "platform/image_underline.h"
#include "platform/jpeg_codec.h"
#include "text/string_list.h"

namespace {

constexpr size_t kSettingsBytes = 9;  // format choice and two boxes

void Check(bool condition) {
  if (!condition) std::abort();
}

// A directory of this run's own, removed when the fuzzer exits.
const std::string& WorkDirectory() {
  static std::string directory;
  if (directory.empty()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "talor_image_fuzz_XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr);
    directory = pattern + "/";
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(directory, error);
    });
  }
  return directory;
}

std::optional<std::pair<int, int>> SizeOf(std::string_view bytes, bool jpeg) {
  if (jpeg) {
    std::optional<talor::JpegPicture> picture = talor::DecodeJpeg(bytes);
    if (!picture) return std::nullopt;
    return std::pair{picture->width, picture->height};
  }
  std::optional<talor::GifPicture> picture = talor::DecodeGif(bytes);
  if (!picture) return std::nullopt;
  return std::pair{picture->width, picture->height};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  talor::StringList lines;
  lines.SetText(bytes);
  (void)talor::ParseWordBoxes(lines);
  if (size < kSettingsBytes) return 0;

  const bool jpeg = (data[0] & 1) != 0;
  std::vector<talor::WordBox> boxes;
  for (size_t i = 1; i + 4 <= kSettingsBytes; i += 4) {
    boxes.push_back({data[i], data[i + 1], data[i + 2], data[i + 3]});
  }
  std::string_view image = bytes.substr(kSettingsBytes);
  const std::string source = WorkDirectory() + (jpeg ? "page.jpg" : "page.gif");
  const std::string target = WorkDirectory() + (jpeg ? "marked.jpg" : "marked.gif");
  {
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
  }
  std::filesystem::remove(target);

  if (talor::UnderlineWords(source, target, boxes)) {
    std::optional<std::pair<int, int>> before = SizeOf(image, jpeg);
    Check(before.has_value());
    Check(SizeOf(ReadFile(target), jpeg) == before);
  } else {
    Check(!std::filesystem::exists(target));
  }
  return 0;
}
