#include "navigator/external_action.h"

#include <optional>
#include <vector>

#include "format/start_process.h"
#include "navigator/command_processor.h"
#include "platform/dynamic_library.h"
#include "text/encoding.h"
#include "text/number_text.h"

namespace talor {
namespace {

std::string_view WithoutConventionMark(std::string_view library) {
  // Both calling conventions are the platform's C convention on x86-64.
  if (library.starts_with('*')) library.remove_prefix(1);
  return library;
}

// The client's main window: the window the navigator was called from when
// it is the client's, else any window of the client's class.
std::optional<WindowHandle> FindSiblingWindow(const ExternalActionHost& host) {
  const MessageBus* bus = host.Bus();
  if (bus == nullptr) return std::nullopt;
  const WindowHandle returnWindow = host.ReturnWindow();
  if (returnWindow != kNoWindowHandle) {
    const std::optional<std::string> windowClass = bus->WindowClass(returnWindow);
    if (windowClass && SameWindowClass(*windowClass, kSiblingClientWindowClass)) {
      return returnWindow;
    }
  }
  return bus->FindWindow(kSiblingClientWindowClass);
}

std::string IniNotWrittenText(const std::string& path) {
  return "Не удалось записать файл настройки клиента «" + path + "»";
}

}  // namespace

const SafetyPolicy& ExternalActionHost::Safety() const {
  static const SafetyPolicy kNothingAllowed;
  return kNothingAllowed;
}

ExternalActionHost& NavigatorChrome::ExternalActions() {
  static ExternalActionHost plainHost;
  return plainHost;
}

ExternalForm SelectExternalForm(std::string_view library, std::string_view function) {
  if (function.empty()) return ExternalForm::Nothing;
  if (!library.empty()) return ExternalForm::Library;
  const std::optional<int64_t> number = ParseDecimal64(function);
  return number && *number != 0 ? ExternalForm::Nothing : ExternalForm::SiblingClient;
}

LibraryCallResult CallLibraryFunction(const SafetyPolicy& policy, std::string_view library,
                                      const std::string& function, const std::string& data) {
  using Status = LibraryCallResult::Status;
  const LibraryLookup lookup = policy.FindLibrary(WithoutConventionMark(library));
  if (lookup.status == LibraryLookup::Status::Refused) return {Status::Refused, {}};
  std::optional<DynamicLibrary> loaded = DynamicLibrary::Open(lookup.path);
  if (!loaded) return {Status::LibraryNotFound, {}};
  const ExternalTextFunction external = loaded->TextFunction(function);
  if (external == nullptr) return {Status::FunctionNotFound, {}};
  // The byte after the capacity is never handed out, so the text ends there
  // at the latest even when the function fills the whole buffer.
  std::vector<char> buffer(kExternalOutputCapacity + 1, '\0');
  if (external(data.c_str(), buffer.data(), kExternalOutputCapacity) == 0) return {};
  buffer.back() = '\0';
  return {Status::Called, std::string(buffer.data())};
}

std::string LibraryCallMessage(const LibraryCallResult& result, std::string_view library,
                               std::string_view function) {
  switch (result.status) {
    case LibraryCallResult::Status::Called:
      return {};
    case LibraryCallResult::Status::LibraryNotFound:
      return std::string(WithoutConventionMark(library)) + " - DLL not found";
    case LibraryCallResult::Status::FunctionNotFound:
      return std::string(function) + " - Function not found";
    case LibraryCallResult::Status::Refused:
      return LibraryRefusedText(WithoutConventionMark(library));
  }
  return {};
}

HandOverResult HandToSiblingClient(ExternalActionHost& host, const std::string& iniPath,
                                   const std::string& data, std::string& message) {
  const SafetyPolicy& safety = host.Safety();
  if (!safety.MayWrite(iniPath)) {
    message = WriteRefusedText(iniPath);
    return HandOverResult::Refused;
  }
  const std::optional<WindowHandle> window = FindSiblingWindow(host);
  if (!window && !safety.MayStartPrograms()) {
    message = ProgramRefusedText(kSiblingClientProgram);
    return HandOverResult::Refused;
  }
  const WindowHandle own = host.OwnWindow();
  ExternalActionHost::IniValues values{{"DATA", data}, {"ReturnHandle", std::to_string(own)}};
  if (!window) {
    values.insert(
        values.end(),
        {{"USERNAME", host.UserName()}, {"Userpassword", host.UserPassword()}, {"ACTION", "0"}});
  }
  if (!host.WriteIniValues(iniPath, kSiblingContextSection, values)) {
    message = IniNotWrittenText(iniPath);
    return HandOverResult::IniNotWritten;
  }
  if (!window) {
    return StartProcess(kSiblingClientProgram, ShowState::kNormal, false) > 0
               ? HandOverResult::Started
               : HandOverResult::StartFailed;
  }
  host.ForgetReturnWindow();
  host.BringToForeground(*window);
  host.Bus()->PostMessage(kSiblingClientWindowClass, *window, kHandOverMessage, 0, own);
  return HandOverResult::Posted;
}

// ---- command 11

std::string CommandProcessor::CallExternal(CommandValues&) {
  const std::string library = state_.params.Get(settings_, Param::USERFUNCTION_USERDLLNAME);
  const std::string function = state_.params.Get(settings_, Param::USERFUNCTION_USERFUNCTIONNAME);
  const std::string data = state_.params.Get(settings_, Param::USERFUNCTION_USERDATA);
  ExternalActionHost& host = chrome_.ExternalActions();
  std::string message;
  std::string page;
  switch (SelectExternalForm(library, function)) {
    case ExternalForm::Library: {
      const LibraryCallResult result = CallLibraryFunction(host.Safety(), library, function, data);
      message = LibraryCallMessage(result, library, function);
      // Invalid UTF-8 from the function becomes replacement characters.
      page = WideToUtf8(Utf8ToWide(result.text));
      break;
    }
    case ExternalForm::SiblingClient:
      HandToSiblingClient(host, settings_.clientIniForTalorb, data, message);
      break;
    case ExternalForm::Nothing:
      break;
  }
  if (!message.empty()) {
    ui_.ShowMessage({host.ErrorCaption(), message, MessageIcon::Error, MessageButtons::Ok, true});
  }
  return page;
}

}  // namespace talor
