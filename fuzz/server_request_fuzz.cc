// Request parsing and every read-only command of the catalogue service on
// arbitrary bytes: no input may crash the server or make it loop.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include "server/engine_formatter.h"
#include "server/password_hash.h"
#include "server/request.h"
#include "server/service.h"
#include "server/storage.h"

namespace {

using namespace talor::server;

struct Fixture {
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talor-fuzz-XXXXXX").string();
    dir = mkdtemp(pattern.data());
    if (!Storage::Open((dir / "s.sqlite").string(), &storage).ok()) std::abort();
    storage->CreateDatabase("DEMO");
    storage->PutUser({"u", HashPassword("p").value_or(""), "", true});
    for (const char* title : {"^AWar and peace", "^AВойна и мир^Eроман", "^Apeace"}) {
      storage->WriteRecord(
          "DEMO", {0, 0, 0, {{200, title}, {610, "war"}}}, {}, [](const StoredRecord& r) {
            IndexEntries e;
            int position = 0;
            for (std::string_view w : SplitIndexWords(r.fields[0].value))
              e.terms.push_back({NormalizeTerm("K=" + std::string(w)), 200, 1, ++position});
            e.fullText = FullTextBody(r);
            return e;
          });
    }
    formatter = std::make_unique<EngineFormatter>(CatalogueFiles(dir), storage.get());
    // Refused logins are answered at once: holding them back would only slow
    // the fuzzer down.
    ServiceOptions options;
    options.throttle.maxHold = {};
    service = std::make_unique<Service>(*storage, CatalogueFiles(dir), *formatter, options);
  }
  std::filesystem::path dir;
  std::unique_ptr<Storage> storage;
  std::unique_ptr<EngineFormatter> formatter;
  std::unique_ptr<Service> service;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t newline = text.find('\n');
  (void)ParseLengthLine(text.substr(0, newline));
  std::optional<Request> request = ParseRequest(text);
  if (!request || request->command == 'D') return 0;  // writes would grow the fixture
  request->user = "u";
  request->password = "p";
  (void)fixture.service->Handle(*request);
  return 0;
}
