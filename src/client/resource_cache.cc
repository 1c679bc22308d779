#include "client/resource_cache.h"

#include "text/encoding.h"

namespace talor {
namespace {

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    if (lead >= 0x80) {
      if ((lead & 0xE0) == 0xC0) {
        extra = 1;
      } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
      } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
      } else {
        return false;
      }
    }
    if (text.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

std::string ResourceCache::Key(std::string_view resourcePath) {
  return IsUtf8(resourcePath) ? Utf8UpperCase(resourcePath) : AnsiUpperCase(resourcePath);
}

const StringList* ResourceCache::FindText(std::string_view resourcePath) const {
  auto found = texts_.find(Key(resourcePath));
  return found == texts_.end() ? nullptr : &found->second;
}

const std::string* ResourceCache::FindBinary(std::string_view resourcePath) const {
  auto found = binaries_.find(Key(resourcePath));
  return found == binaries_.end() ? nullptr : &found->second;
}

void ResourceCache::StoreText(std::string_view resourcePath, StringList text) {
  texts_[Key(resourcePath)] = std::move(text);
}

void ResourceCache::StoreBinary(std::string_view resourcePath, std::string block) {
  binaries_[Key(resourcePath)] = std::move(block);
}

void ResourceCache::Clear() {
  texts_.clear();
  binaries_.clear();
}

}  // namespace talor
