# cmake -DWEB_DIR=dir -DOUTPUT=file.cc -P embed_web_assets.cmake
#
# Writes a C++ file that defines talor::BuiltInWebAssets() (ui/web_assets.h):
# one entry per file under WEB_DIR, named by its path relative to WEB_DIR with
# '/' separators, in sorted order. Only CMake itself is needed.

file(GLOB_RECURSE files RELATIVE ${WEB_DIR} ${WEB_DIR}/*)
list(SORT files)

set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS files)
  file(READ ${WEB_DIR}/${name} hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  # A trailing zero keeps the array non-empty for an empty file.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REPEAT "0x..," 16 row)
  string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "const unsigned char kAsset${index}[] = {\n    ${bytes}0x00};\n")
  string(APPEND entries "      {\"${name}\", Bytes(kAsset${index}, ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(content "// Generated from src/ui/web by embed_web_assets.cmake; do not edit.

#include <span>
#include <string_view>

#include \"ui/web_assets.h\"

namespace talor {
namespace {

std::string_view Bytes(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

${arrays}
}  // namespace

std::span<const WebAsset> BuiltInWebAssets() {
  static const WebAsset kAssets[] = {
${entries}      {\"\", {}}};
  // The last entry only keeps the table non-empty.
  return {kAssets, sizeof(kAssets) / sizeof(kAssets[0]) - 1};
}

}  // namespace talor
")

# Rewrite only on change so that the library is not rebuilt for nothing.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL content)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${content}")
