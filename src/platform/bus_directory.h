// The directory of the local message bus: one per user, holding one socket
// per listening window (platform/message_bus.h).
//
// Anyone who can create files in the directory can pose as a window, so it
// must belong to the user alone: it is used only when it is a real directory
// (not a symbolic link), owned by the effective user, with no permissions for
// group or others. It is never repaired or deleted when it is not.

#ifndef TALOR_PLATFORM_BUS_DIRECTORY_H_
#define TALOR_PLATFORM_BUS_DIRECTORY_H_

#include <string>

namespace talor {

// `talor-bus` in $XDG_RUNTIME_DIR when that is set to an absolute path, else
// `/tmp/talor-bus-<uid>`. Without a final `/`.
std::string DefaultBusDirectory();

enum class BusDirectoryState {
  Usable,   // a safe directory, ready for use
  Missing,  // nothing there (only when not asked to create it)
  Unsafe,   // a symbolic link, not a directory, someone else's, or open to others
  Failed,   // it could not be examined or created
};

// Checks `path`; with `create`, a missing directory is made first (mode 0700;
// its parent must exist). Changes nothing that is already there.
BusDirectoryState PrepareBusDirectory(const std::string& path, bool create);

}  // namespace talor

#endif  // TALOR_PLATFORM_BUS_DIRECTORY_H_
