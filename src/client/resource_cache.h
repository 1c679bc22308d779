// The cache of server resources (text and binary files) that formats and
// pages read again and again. Keys are resource paths in upper case, so two
// reads that differ only in letter case share one entry. It lives as long as
// the transport and is emptied after a change of server and on the user's
// request.

#ifndef TALOR_CLIENT_RESOURCE_CACHE_H_
#define TALOR_CLIENT_RESOURCE_CACHE_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "text/string_list.h"

namespace talor {

class ResourceCache {
 public:
  // The cache key of a resource path: the path in upper case (Unicode rules
  // on its UTF-8 form; bytes that are not UTF-8 are upper-cased as ANSI).
  static std::string Key(std::string_view resourcePath);

  // nullptr when the resource is not cached. The pointer stays valid until
  // the entry is replaced or the cache emptied.
  const StringList* FindText(std::string_view resourcePath) const;
  const std::string* FindBinary(std::string_view resourcePath) const;

  void StoreText(std::string_view resourcePath, StringList text);
  void StoreBinary(std::string_view resourcePath, std::string block);

  // Empties the cache, freeing every cached block.
  void Clear();
  size_t size() const { return texts_.size() + binaries_.size(); }

 private:
  std::map<std::string, StringList> texts_;
  std::map<std::string, std::string> binaries_;
};

}  // namespace talor

#endif  // TALOR_CLIENT_RESOURCE_CACHE_H_
