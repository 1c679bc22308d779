// Server-side formatting with the catalogue's format engine. The engine of
// the calling worker thread runs the format; what it needs from outside is
// served from this server's own data: format files from the catalogue files,
// other records for `REF` and dictionary lookups for `L` from the storage.
// Each call starts the thread's engine afresh, so no global variable of one
// request leaks into another.
//
// Engine errors are reported as ReturnCode::FormatFailed; the output written
// before an error is dropped.

#ifndef TALOR_SERVER_ENGINE_FORMATTER_H_
#define TALOR_SERVER_ENGINE_FORMATTER_H_

#include "server/catalogue_files.h"
#include "server/formatter.h"
#include "server/storage.h"

namespace talor::server {

class EngineFormatter : public Formatter {
 public:
  // `storage` may be null until Bind; without it `REF` and `L` give nothing.
  explicit EngineFormatter(CatalogueFiles files, Storage* storage = nullptr)
      : files_(std::move(files)), storage_(storage) {}

  void Bind(Storage* storage) override { storage_ = storage; }
  FormatOutput Format(const StoredRecord& record, std::string_view database,
                      std::string_view formatText) override;

 private:
  // Constant after construction (Bind happens before serving).
  const CatalogueFiles files_;
  Storage* storage_;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_ENGINE_FORMATTER_H_
