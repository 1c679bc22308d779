#include "platform/download.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_io.h"

namespace talor {
namespace {

constexpr long kMaxRedirects = 5;
constexpr long kFirstFailingStatus = 400;

struct CurlCloser {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

// libcurl's global state, set up once for the program.
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

std::string DescribeCurlCode(CURLcode code) {
  switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "загружаются только адреса http и https";
    case CURLE_URL_MALFORMAT:
      return "неверный адрес";
    case CURLE_COULDNT_RESOLVE_HOST:
      return "сервер не найден";
    case CURLE_COULDNT_CONNECT:
      return "сервер не отвечает";
    case CURLE_OPERATION_TIMEDOUT:
      return "время ожидания истекло";
    case CURLE_FILESIZE_EXCEEDED:
      return "файл слишком велик";
    case CURLE_TOO_MANY_REDIRECTS:
      return "слишком много перенаправлений";
    case CURLE_WRITE_ERROR:
      return "файл не записывается";
    default:
      return "ошибка загрузки (код " + std::to_string(static_cast<int>(code)) + ")";
  }
}

}  // namespace

std::string DownloadToFile(std::string_view url, const std::string& path,
                           const DownloadLimits& limits) {
  if (!CurlReady()) return "библиотека загрузки не запустилась";
  std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
  if (!curl) return "библиотека загрузки не запустилась";
  FileReplacement file(path);
  if (!file.Open()) return std::string("файл не создаётся: ") + std::strerror(errno);
  const std::string address(url);
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT,
                   static_cast<long>(limits.connectTimeout.count()));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(limits.totalTimeout.count()));
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, file.file());
  const CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK) return DescribeCurlCode(code);
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status >= kFirstFailingStatus) return "сервер ответил кодом " + std::to_string(status);
  if (!file.Commit()) return std::string("файл не записан: ") + std::strerror(errno);
  return {};
}

}  // namespace talor
