// Dynamic libraries: loading a library file and looking up an exported
// function by name, for the pages' and the formats' external functions.
//
// A library stays loaded as long as its DynamicLibrary lives; functions
// looked up through it must not be called after that.
//
// Calling conventions. The external functions of the catalogue system come
// in two conventions: the platform's standard one and, for a library name
// written with a leading `*`, a register convention. On x86-64 Linux there is
// one C calling convention (the System V ABI passes the first arguments in
// registers anyway), so both are the same call here: the `*` only selects
// nothing and is removed from the name by the callers.

#ifndef TALOR_PLATFORM_DYNAMIC_LIBRARY_H_
#define TALOR_PLATFORM_DYNAMIC_LIBRARY_H_

#include <cstdint>
#include <optional>
#include <string>

namespace talor {

// The external text function: `in` is the NUL-terminated input, `out` a
// buffer of `capacity` bytes (plus one that the caller keeps NUL); a result
// other than 0 says that `out` holds NUL-terminated output.
using ExternalTextFunction = int32_t (*)(const char* in, char* out, int32_t capacity);

class DynamicLibrary {
 public:
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  // Unloads the library.
  ~DynamicLibrary();

  // Loads the library file at `path` with all its symbols resolved now.
  // `path` should contain a `/`: a bare name would be searched for along the
  // system's library path. nullopt when the file cannot be loaded.
  static std::optional<DynamicLibrary> Open(const std::string& path);

  // The address of the exported function `name`; nullptr when the library
  // exports no such symbol.
  void* Symbol(const std::string& name) const;

  // The exported function `name` as an external text function; nullptr when
  // it is not there.
  ExternalTextFunction TextFunction(const std::string& name) const;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}

  void* handle_ = nullptr;  // owned; nullptr after a move
};

}  // namespace talor

#endif  // TALOR_PLATFORM_DYNAMIC_LIBRARY_H_
