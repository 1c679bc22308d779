// The window's files (HTML, CSS, scripts, images) built into the program from
// src/ui/web at build time.

#ifndef TALOR_UI_WEB_ASSETS_H_
#define TALOR_UI_WEB_ASSETS_H_

#include <span>
#include <string_view>

namespace talor {

struct WebAsset {
  std::string_view name;   // path under src/ui/web, '/'-separated: "css/window.css"
  std::string_view bytes;  // the file's exact contents
};

// Every file of src/ui/web, sorted by name. The bytes live for the whole run.
std::span<const WebAsset> BuiltInWebAssets();

}  // namespace talor

#endif  // TALOR_UI_WEB_ASSETS_H_
