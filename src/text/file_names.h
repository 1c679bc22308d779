// File names: making texts safe as file names, recognising images, doubled
// backslashes, and deleting the files that match a mask.

#ifndef TALOR_TEXT_FILE_NAMES_H_
#define TALOR_TEXT_FILE_NAMES_H_

#include <string>
#include <string_view>

namespace talor {

// Every `:`, `\`, `/` and blank replaced by `_`.
std::string SafeFileName(std::string_view text);

// True when the extension (from the last `.`, ASCII case ignored) is ".JPG",
// ".JPEG" or ".GIF".
bool IsImageFileName(std::string_view fileName);

enum class BackslashMode { Double = 0, Undouble = 1 };

// When not every backslash of the text belongs to a pair "\\" (a lone one,
// or one at the very end), Double doubles every backslash, the paired ones
// included. When every backslash is paired, Undouble reduces each pair to
// one. Otherwise the text is returned unchanged.
std::string NormalizeBackslashes(std::string_view text, BackslashMode mode);

// Deletes the ordinary files of a directory whose names match the last
// component of `pathMask` (`*` any run of bytes, `?` one byte; case-sensitive),
// e.g. "/tmp/work/@TALOR_*". Directories, symbolic links and hidden files
// (names starting with `.`) are left alone; files that cannot be deleted are
// skipped. A mask without a directory part means the current directory.
// Returns the number of files deleted.
int DeleteFilesByMask(std::string_view pathMask);

// The wildcard match that DeleteFilesByMask uses on one name.
bool WildcardMatch(std::string_view mask, std::string_view name);

}  // namespace talor

#endif  // TALOR_TEXT_FILE_NAMES_H_
