// The files that the navigator keeps in its work directory. Every name
// begins with `@TALOR_`, so that the clean-up at the end of the run (and on
// request) removes exactly these files and nothing of the user's.

#ifndef TALOR_NAVIGATOR_WORK_FILES_H_
#define TALOR_NAVIGATOR_WORK_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talor {

inline constexpr std::string_view kWorkFilePrefix = "@TALOR_";
// The scheme of pseudo-URLs and of local files that pages link to.
inline constexpr std::string_view kPseudoScheme = "TALOR:";
inline constexpr std::string_view kTalorFileScheme = "TALORFILE:";
// The element name of numbering and record-image markers.
inline constexpr std::string_view kMarkerTag = "TALOR";

// `@TALOR_<path>_<database>_<file name>`: a resource read from the server.
// Database and file name pass SafeFileName, so that no name a page gives can
// leave the work directory.
std::string ResourceFileName(int pathNumber, std::string_view database, std::string_view fileName);
// `@TALOR_barcode_<safe text>.bmp`.
std::string BarcodeFileName(std::string_view text);
// `@TALOR_12_<database>_<mfn>_<occurrence>_`: what a record image's name
// starts with; the hex-encoded title and the extension follow.
std::string RecordImageStem(std::string_view database, int32_t mfn, int occurrence);
// `@TALOR_11_<database>_<number><extension of source, dot included>`.
std::string MarkedImageFileName(std::string_view database, int number, std::string_view sourcePath);

// The `file://` address of an absolute local path, with the bytes that an
// address cannot carry as they are (blank, `%`, `#`, `?`, controls)
// percent-encoded.
std::string FileUrl(std::string_view path);

// The path of the first file (in name order) of `directory` whose name
// starts with `stem` and has an extension; nullopt when there is none.
std::optional<std::string> FindWorkFile(const std::string& directory, std::string_view stem);

// Deletes every `@TALOR_*.*` file of the work directory; returns how many.
int DeleteWorkFiles(const std::string& directory);

}  // namespace talor

#endif  // TALOR_NAVIGATOR_WORK_FILES_H_
