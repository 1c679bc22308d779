#include "shell/navigator_session.h"

#include <filesystem>
#include <system_error>

#include "format/format_engine.h"
#include "shell/safety_config.h"

namespace talor {

NavigatorSession::NavigatorSession(EventLoop& loop, UserInterface& ui, LocalConfig& config,
                                   const Messages& messages)
    : loop_(loop),
      ui_(ui),
      config_(config),
      messages_(messages),
      transport_(loop, ui, clock_),
      commands_(transport_, ui),
      session_(loop, ui, commands_, config, serverSettings_, messages),
      connection_(session_),
      formatServices_(commands_) {}

NavigatorSession::~NavigatorSession() {
  navigator_.reset();
  if (engineStarted_) {
    FormatEngine& engine = DefaultFormatEngine();
    engine.SetFileReader(nullptr);
    engine.SetServer(nullptr);
    engine.SetSafetyPolicy(nullptr);
    StopFormatEngine();
  }
}

Status NavigatorSession::Start(PageView& view, PageView& printView, NavigatorChrome& chrome,
                               std::string workDirectory) {
  std::error_code failure;
  std::filesystem::create_directories(workDirectory, failure);
  if (!std::filesystem::is_directory(workDirectory, failure))
    return Status::Error("Не удалось создать рабочую папку " + workDirectory);
  settings_ = ApplyServerSettings(serverSettings_, transport_, formatServices_);
  engineStarted_ = true;
  safety_ = SafetyPolicy(ReadSafetyRules(config_, PathContext::ForThisProcess(), workDirectory));
  DefaultFormatEngine().SetSafetyPolicy(&safety_);
  navigator_ = std::make_unique<Navigator>(NavigatorParts{loop_, ui_, commands_, connection_,
                                                          settings_, view, printView, chrome,
                                                          std::move(workDirectory)});
  return Status::Ok();
}

}  // namespace talor
