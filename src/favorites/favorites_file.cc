#include "favorites/favorites_file.h"

#include <algorithm>
#include <string>

#include "shell/config_keys.h"
#include "text/encoding.h"

namespace talor {
namespace {

std::string IndexedKey(std::string_view stem, int32_t index) {
  return std::string(stem) + std::to_string(index);
}

}  // namespace

std::vector<PageEntry> ReadFavorites(const IniFile& store, std::string_view section,
                                     FavoritesEncoding encoding, int maxTitleLength) {
  const int32_t count =
      std::min(store.ReadInteger(section, config::kFavoritesNumb, 0), kMaxFavorites);
  const auto text = [&](std::string_view stem, int32_t index) {
    std::string value = store.ReadString(section, IndexedKey(stem, index), "");
    return encoding == FavoritesEncoding::Ansi ? AnsiToUtf8(value) : value;
  };
  std::vector<PageEntry> favorites;
  for (int32_t i = 0; i < count; ++i) {
    PageEntry entry;
    entry.title = Utf8Prefix(text(config::kTitleFavorites, i), maxTitleLength);
    entry.url = text(config::kURLFavorites, i);
    // The POST text and the context are sent and compared as they are.
    entry.postText = store.ReadString(section, IndexedKey(config::kPostDataFavorites, i), "");
    entry.context = store.ReadString(section, IndexedKey(config::kContextFavorites, i), "");
    favorites.push_back(std::move(entry));
  }
  return favorites;
}

void WriteFavorites(IniFile& store, std::string_view section,
                    const std::vector<PageEntry>& favorites) {
  store.WriteInteger(section, config::kFavoritesNumb, static_cast<int32_t>(favorites.size()));
  for (size_t i = 0; i < favorites.size(); ++i) {
    const PageEntry& entry = favorites[i];
    const int32_t index = static_cast<int32_t>(i);
    store.WriteString(section, IndexedKey(config::kURLFavorites, index), entry.url);
    store.WriteString(section, IndexedKey(config::kPostDataFavorites, index), entry.postText);
    store.WriteString(section, IndexedKey(config::kContextFavorites, index), entry.context);
    store.WriteString(section, IndexedKey(config::kTitleFavorites, index), entry.title);
  }
}

}  // namespace talor
