#include "format/builtins.h"

#include <array>

#include "format/uf_library.h"

namespace talor {
namespace {

// The library of built-in text functions plugs in here, one line per name.
constexpr std::array kBuiltinFunctions{
    BuiltinEntry{"UNIFOR", UniforFunction},
    BuiltinEntry{"UF", UniforFunction},
    BuiltinEntry{"UMARCI", UmarciFunction},
};

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const BuiltinEntry> BuiltinFunctions() { return kBuiltinFunctions; }

const BuiltinEntry* FindBuiltin(std::span<const BuiltinEntry> table, std::string_view name) {
  for (const BuiltinEntry& entry : table) {
    if (SameNameIgnoringCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

}  // namespace talor
