#include "server/service.h"

#include <cstdio>
#include <exception>

#include "server/return_codes.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

// A line that RegisterAt removes before the settings: the server's name.
constexpr std::string_view kServerBanner = "talor-server";

constexpr char kRegister = 'A';
constexpr char kUnregister = 'B';
constexpr char kReadRecord = 'C';
constexpr char kWriteRecord = 'D';
constexpr char kFormat = 'G';
constexpr char kTermsForward = 'H';
constexpr char kPostings = 'I';
constexpr char kSearch = 'K';
constexpr char kResource = 'L';
constexpr char kNoOperation = 'N';
constexpr char kMaxMfn = 'O';
constexpr char kTermsBackward = 'P';
constexpr char kFullText = 'R';
constexpr char kWordPositions = 'V';

}  // namespace

Answer CodeAnswer(int32_t code) {
  Answer answer;
  answer.lines.Add(std::to_string(code));
  return answer;
}

namespace {

// One line on standard error for a request the service could not carry out.
void LogFailure(const Request& request, const char* what) {
  std::fprintf(stderr, "talor-server: запрос «%c» пользователя «%s» не выполнен: %s\n",
               request.command != 0 ? request.command : '?', request.user.c_str(), what);
}

}  // namespace

Service::Service(Storage& storage, CatalogueFiles files, Formatter& formatter,
                 ServiceOptions options)
    : storage_(storage),
      files_(std::move(files)),
      formatter_(formatter),
      sessions_(options.maxSessions, options.idleLimit),
      authenticator_(storage, options.throttle) {}

Answer Service::Handle(const Request& request) {
  std::string owner = SessionKey(request.user, request.clientId);
  std::shared_ptr<CancelToken> token = sessions_.BeginRequest(owner);
  Answer answer;
  Call call{request, *token, owner};
  try {
    answer = Dispatch(call);
  } catch (const std::exception& error) {
    // Nothing may leave the service: a failure here is the request's code,
    // and the administrator learns what it was.
    LogFailure(request, error.what());
    answer = CodeAnswer(Code(ReturnCode::StorageFailed));
  } catch (...) {
    LogFailure(request, "неизвестное исключение");
    answer = CodeAnswer(Code(ReturnCode::StorageFailed));
  }
  sessions_.EndRequest(owner, token);
  authenticator_.Hold(call.hold);
  return answer;
}

Answer Service::Dispatch(Call& call) {
  const Request& request = call.request;
  if (request.command == kRegister) return Register(call);
  std::optional<User> user = CheckUser(call, request.user, request.password);
  if (!user) return CodeAnswer(Code(ReturnCode::AccessDenied));
  sessions_.Touch(call.owner);
  switch (request.command) {
    case kUnregister:
      return Unregister(call);
    case kNoOperation:
      return CodeAnswer(Code(ReturnCode::Ok));
    case kMaxMfn:
      return ReadMaxMfn(call);
    case kReadRecord:
      return ReadRecord(call);
    case kWriteRecord:
      if (!user->canWrite) {
        Answer answer = CodeAnswer(Code(ReturnCode::WriteForbidden));
        answer.lines.Add(std::to_string(Code(ReturnCode::WriteForbidden)));
        return answer;
      }
      return WriteRecords(call);
    case kFormat:
      return FormatRecords(call);
    case kTermsForward:
      return ReadTerms(call, true);
    case kTermsBackward:
      return ReadTerms(call, false);
    case kPostings:
      return ReadPostings(call);
    case kSearch:
      return Search(call);
    case kFullText:
      return FullTextSearch(call);
    case kResource:
      return ReadResource(call);
    case kWordPositions:
      return ReadWordPositions(call);
    default:
      return CodeAnswer(Code(ReturnCode::UnknownCommand));
  }
}

Answer Service::Register(Call& call) {
  const Request& request = call.request;
  // The user and password travel both in the header and as parameters; the
  // parameters are what the user typed.
  std::string_view name = request.Parameter(0);
  std::string_view password = request.Parameter(1);
  if (name.empty()) name = request.user;
  std::optional<User> user = CheckUser(call, name, password);
  if (!user) return CodeAnswer(Code(ReturnCode::BadLogin));
  if (!user->workstations.empty() &&
      (request.workstation.size() != 1 ||
       user->workstations.find(request.workstation[0]) == std::string::npos))
    return CodeAnswer(Code(ReturnCode::WorkstationForbidden));
  if (!sessions_.Register(SessionKey(name, request.clientId)))
    return CodeAnswer(Code(ReturnCode::SessionLimit));
  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  answer.lines.Add(std::string(kServerBanner));
  StringList settings;
  settings.SetText(storage_.Settings());
  for (ListLine& line : settings) answer.lines.Add(std::move(line.text));
  return answer;
}

std::optional<User> Service::CheckUser(Call& call, std::string_view name,
                                       std::string_view password) {
  CheckOutcome outcome = authenticator_.Check(name, password, call.request.peerAddress);
  call.hold = outcome.hold;
  return std::move(outcome.user);
}

Answer Service::Unregister(Call& call) {
  storage_.ReleaseLocks(call.owner);
  sessions_.Unregister(call.owner);
  return CodeAnswer(Code(ReturnCode::Ok));
}

Answer Service::ReadMaxMfn(Call& call) {
  std::optional<int32_t> next = storage_.NextMfn(call.request.Parameter(0));
  if (!next) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  return CodeAnswer(*next);
}

}  // namespace talor::server
