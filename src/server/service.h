// The catalogue service: answers one parsed request. It checks the user,
// dispatches on the command letter and builds the answer lines (the part
// after the ten header lines) and, for binary resources, the binary data.
// Never throws; every failure is a return code in the first answer line.
// docs/protocol.md lists the commands and their answers.

#ifndef TALOR_SERVER_SERVICE_H_
#define TALOR_SERVER_SERVICE_H_

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "server/authenticator.h"
#include "server/catalogue_files.h"
#include "server/formatter.h"
#include "server/indexer.h"
#include "server/mfn_set.h"
#include "server/request.h"
#include "server/search_expression.h"
#include "server/sessions.h"
#include "server/storage.h"
#include "text/string_list.h"

namespace talor::server {

// Most records one G, K or I answer formats (count 0 asks for all of them).
inline constexpr size_t kMaxFormattedRecords = 100000;
// Most terms one H or P answer lists.
inline constexpr int kMaxTermPortion = 10000;

struct Answer {
  StringList lines;
  std::optional<std::string> binary;
};

struct ServiceOptions {
  size_t maxSessions = 256;
  std::chrono::steady_clock::duration idleLimit = std::chrono::minutes(30);
  ThrottleLimits throttle;  // how failed logins are slowed down
};

class Service {
 public:
  Service(Storage& storage, CatalogueFiles files, Formatter& formatter, ServiceOptions options);

  Answer Handle(const Request& request);

  // The index builder of a database, from its FST and stop words.
  IndexFunction IndexFor(std::string_view database);
  Sessions& sessions() { return sessions_; }

 private:
  struct Call {
    const Request& request;
    CancelToken& cancel;
    std::string owner;  // the session key, also the lock owner
    // How long to hold back the answer (a refused login), after the
    // request has released everything it held.
    std::chrono::steady_clock::duration hold{};
  };
  struct IndexConfig {
    std::vector<FstLine> fst;
    std::set<std::string> stopWords;
  };

  Answer Dispatch(Call& call);
  // The user when `password` is theirs; sets the call's hold on a refusal.
  std::optional<User> CheckUser(Call& call, std::string_view name, std::string_view password);
  Answer Register(Call& call);
  Answer Unregister(Call& call);
  Answer ReadMaxMfn(Call& call);
  Answer ReadRecord(Call& call);
  Answer WriteRecords(Call& call);
  Answer FormatRecords(Call& call);
  Answer ReadTerms(Call& call, bool forward);
  Answer ReadPostings(Call& call);
  Answer Search(Call& call);
  // The hits of a parsed expression; nullopt, with the code to answer
  // (Interrupted, StorageFailed) in `failure`, when the search stopped.
  std::optional<MfnSet> SearchHits(std::string_view database, const SearchNode& root, Call& call,
                                   int32_t& failure);
  Answer FullTextSearch(Call& call);
  Answer ReadResource(Call& call);
  Answer ReadWordPositions(Call& call);

  // The formatted text of a record as one answer line: line breaks encoded.
  std::string FormatLine(const StoredRecord& record, std::string_view database,
                         std::string_view formatText);
  std::optional<StoredRecord> LoadRecord(std::string_view database, int32_t mfn);
  std::shared_ptr<const IndexConfig> IndexConfigFor(std::string_view database);
  std::set<std::string> StopWords(std::string_view database);

  // Constant after construction.
  Storage& storage_;
  const CatalogueFiles files_;
  Formatter& formatter_;
  // Internally synchronised.
  Sessions sessions_;
  Authenticator authenticator_;
  // Guarded by configMutex_.
  std::mutex configMutex_;
  std::map<std::string, std::shared_ptr<const IndexConfig>> configs_;
};

// The single-line answer holding only a return code.
Answer CodeAnswer(int32_t code);

}  // namespace talor::server

#endif  // TALOR_SERVER_SERVICE_H_
