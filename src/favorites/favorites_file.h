// How favourites are kept in an INI store: the count under `FavoritesNumb`
// and favourite i (from 0) under `TitleFavorites`i, `URLFavorites`i,
// `PostDataFavorites`i and `ContextFavorites`i. Personal favourites live in
// section DESKTOP of the local configuration, which this program writes in
// UTF-8; favourites given by the server live, read-only, in section Navigator
// of the server-provided settings, whose texts are ANSI.

#ifndef TALOR_FAVORITES_FAVORITES_FILE_H_
#define TALOR_FAVORITES_FAVORITES_FILE_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "favorites/page_entry.h"
#include "shell/ini_file.h"

namespace talor {

// The most favourites read from a store. A larger `FavoritesNumb` (a damaged
// or hand-edited file) is read as this many, so that a wild count cannot make
// the start run out of memory.
inline constexpr int32_t kMaxFavorites = 10000;

enum class FavoritesEncoding {
  Utf8,  // the local configuration: values are taken as they are
  Ansi,  // the server-provided settings: titles and addresses are converted
};

// The favourites of `section` of `store`, in order. A missing, negative or
// unreadable `FavoritesNumb` gives none; a missing key reads as the empty
// text. Titles are cut to `maxTitleLength` characters (see Utf8Prefix).
std::vector<PageEntry> ReadFavorites(const IniFile& store, std::string_view section,
                                     FavoritesEncoding encoding, int maxTitleLength);

// Writes `FavoritesNumb` and the four keys of every favourite, in order, into
// `section` of `store` (in memory; the caller saves the file). Keys of
// favourites beyond the new count are left as they are: the count says how
// many are read back.
void WriteFavorites(IniFile& store, std::string_view section,
                    const std::vector<PageEntry>& favorites);

}  // namespace talor

#endif  // TALOR_FAVORITES_FAVORITES_FILE_H_
