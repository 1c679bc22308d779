#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

namespace talor {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

DynamicLibrary::~DynamicLibrary() {
  if (handle_ != nullptr) dlclose(handle_);
}

std::optional<DynamicLibrary> DynamicLibrary::Open(const std::string& path) {
  if (path.empty()) return std::nullopt;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return std::nullopt;
  return DynamicLibrary(handle);
}

void* DynamicLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr || name.empty()) return nullptr;
  return dlsym(handle_, name.c_str());
}

ExternalTextFunction DynamicLibrary::TextFunction(const std::string& name) const {
  return reinterpret_cast<ExternalTextFunction>(Symbol(name));
}

}  // namespace talor
