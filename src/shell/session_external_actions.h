// The part of command 11's host that the session knows: the safety rules of
// the local configuration, the login's user, the caption of error boxes,
// and the writing of the sibling client's INI file. The main window adds
// the windows (the message bus, its own window, the return button); the
// batch mode and the tests use it as it is or add a bus of their own.

#ifndef TALOR_SHELL_SESSION_EXTERNAL_ACTIONS_H_
#define TALOR_SHELL_SESSION_EXTERNAL_ACTIONS_H_

#include <string>
#include <string_view>

#include "navigator/navigator_host.h"
#include "shell/navigator_session.h"

namespace talor {

// Sets `values` in `section` of the INI file `path` (created when missing)
// through IniFile, which keeps the file's other lines as they are. False,
// with the file unchanged, when it cannot be read or written.
bool WriteIniFileValues(const std::string& path, std::string_view section,
                        const ExternalActionHost::IniValues& values);

class SessionExternalActions : public ExternalActionHost {
 public:
  // `core` must outlive this object.
  explicit SessionExternalActions(NavigatorSession& core) : core_(core) {}

  const SafetyPolicy& Safety() const override { return core_.safety(); }
  std::string ErrorCaption() const override;
  std::string UserName() const override;
  std::string UserPassword() const override;
  bool WriteIniValues(const std::string& path, std::string_view section,
                      const IniValues& values) override {
    return WriteIniFileValues(path, section, values);
  }

 private:
  NavigatorSession& core_;
};

}  // namespace talor

#endif  // TALOR_SHELL_SESSION_EXTERNAL_ACTIONS_H_
