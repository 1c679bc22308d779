#include "platform/bus_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace talor {
namespace {

constexpr mode_t kPrivateMode = 0700;
constexpr mode_t kGroupAndOthers = 0077;

BusDirectoryState Examine(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    return errno == ENOENT ? BusDirectoryState::Missing : BusDirectoryState::Failed;
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
      (info.st_mode & kGroupAndOthers) != 0) {
    return BusDirectoryState::Unsafe;
  }
  return BusDirectoryState::Usable;
}

}  // namespace

std::string DefaultBusDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    std::string path = runtime;
    if (path.back() != '/') path += '/';
    return path + "talor-bus";
  }
  return "/tmp/talor-bus-" + std::to_string(::geteuid());
}

BusDirectoryState PrepareBusDirectory(const std::string& path, bool create) {
  const BusDirectoryState state = Examine(path);
  if (state != BusDirectoryState::Missing || !create) return state;
  // Another program may create it at the same moment; either way the result
  // is examined again rather than trusted.
  if (::mkdir(path.c_str(), kPrivateMode) != 0 && errno != EEXIST) {
    return BusDirectoryState::Failed;
  }
  const BusDirectoryState made = Examine(path);
  return made == BusDirectoryState::Missing ? BusDirectoryState::Failed : made;
}

}  // namespace talor
