#include "ui/window_layout.h"

namespace talor {

using namespace config;

WindowLayout ReadWindowLayout(const LocalConfig& config) {
  WindowLayout layout;
  layout.scalable = config.ReadBool(kDesktop, kScalable, false);
  layout.width = config.ReadInteger(kDesktop, kWidth, kDefaultWidth);
  layout.height = config.ReadInteger(kDesktop, kHeight, kDefaultHeight);
  layout.mainMenuLeft = config.ReadInteger(kDesktop, kMainMenuLeft, kDefaultMainMenuLeft);
  layout.mainMenuTop = config.ReadInteger(kDesktop, kMainMenuTop, kDefaultMainMenuTop);
  layout.view = config.ReadBool(kDesktop, kView, true);
  layout.viewLeft = config.ReadInteger(kDesktop, kViewLeft, kDefaultViewLeft);
  layout.viewTop = config.ReadInteger(kDesktop, kViewTop, kDefaultViewTop);
  layout.file = config.ReadBool(kDesktop, kFile, true);
  layout.fileLeft = config.ReadInteger(kDesktop, kFileLeft, kDefaultFileLeft);
  layout.fileTop = config.ReadInteger(kDesktop, kFileTop, kDefaultFileTop);
  layout.url = config.ReadBool(kDesktop, kURL, true);
  layout.urlLeft = config.ReadInteger(kDesktop, kURLLeft, kDefaultURLLeft);
  layout.urlTop = config.ReadInteger(kDesktop, kURLTop, kDefaultURLTop);
  layout.urlWidth = config.ReadInteger(kDesktop, kURLWidth, kDefaultURLWidth);
  return layout;
}

void WriteWindowLayout(const WindowLayout& layout, LocalConfig& config) {
  config.WriteBool(kDesktop, kScalable, layout.scalable);
  if (!layout.scalable) {
    config.WriteInteger(kDesktop, kWidth, layout.width);
    config.WriteInteger(kDesktop, kHeight, layout.height);
  }
  config.WriteInteger(kDesktop, kMainMenuLeft, layout.mainMenuLeft);
  config.WriteInteger(kDesktop, kMainMenuTop, layout.mainMenuTop);
  config.WriteBool(kDesktop, kView, layout.view);
  config.WriteInteger(kDesktop, kViewLeft, layout.viewLeft);
  config.WriteInteger(kDesktop, kViewTop, layout.viewTop);
  config.WriteBool(kDesktop, kFile, layout.file);
  config.WriteInteger(kDesktop, kFileLeft, layout.fileLeft);
  config.WriteInteger(kDesktop, kFileTop, layout.fileTop);
  config.WriteBool(kDesktop, kURL, layout.url);
  config.WriteInteger(kDesktop, kURLLeft, layout.urlLeft);
  config.WriteInteger(kDesktop, kURLTop, layout.urlTop);
  config.WriteInteger(kDesktop, kURLWidth, layout.urlWidth);
}

}  // namespace talor
