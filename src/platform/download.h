// Downloading a URL to a file, for the full-text files that records name.

#ifndef TALOR_PLATFORM_DOWNLOAD_H_
#define TALOR_PLATFORM_DOWNLOAD_H_

#include <chrono>
#include <string>
#include <string_view>

namespace talor {

struct DownloadLimits {
  std::chrono::seconds connectTimeout{15};
  std::chrono::seconds totalTimeout{300};
  long long maxBytes = 2LL << 30;  // a larger file is refused
};

// Downloads `url` (http or https only; redirects followed, a few at most) to
// the file `path`, which is replaced only when the whole file arrived with a
// success status. Returns an empty string on success, else a Russian
// description of what failed.
std::string DownloadToFile(std::string_view url, const std::string& path,
                           const DownloadLimits& limits = {});

}  // namespace talor

#endif  // TALOR_PLATFORM_DOWNLOAD_H_
