// The command processor: runs the command of the current parameter set
// against the catalogue server, has records formatted (by the server, or on
// the client by the format engine), frames the result with the page's top
// and bottom formats, marks the searched words, and delivers the page: into
// the main view, into the print view, or as a pseudo-URL to follow.

#ifndef TALOR_NAVIGATOR_COMMAND_PROCESSOR_H_
#define TALOR_NAVIGATOR_COMMAND_PROCESSOR_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/command_set.h"
#include "navigator/command_text.h"
#include "navigator/navigation_state.h"
#include "navigator/navigator_host.h"
#include "navigator/navigator_settings.h"
#include "navigator/page_writer.h"
#include "platform/page_view.h"
#include "platform/user_interface.h"

namespace talor {

// What a command needs of the navigation around it.
class CommandHost {
 public:
  virtual ~CommandHost() = default;
  // The home, forward and back buttons (command 9).
  virtual void PressHome() = 0;
  virtual void PressForward() = 0;
  virtual void PressBack() = 0;
  // Opens `url` as the page of a finished command (a redirect).
  virtual void FollowRedirect(const std::string& url) = 0;
  virtual void RestoreSelection() = 0;
};

// The values resolved at the start of a command; they live for one command.
struct CommandValues {
  int command = -1;
  std::string database;
  std::string formatName;
  std::string searchText;
  std::string searchExpression;
  std::string query;
  int32_t hitCount = 0;
  int32_t portion = 0;
  std::string markWords;
  std::string termPrefix;
  std::string countBegin;  // first-item marker
  std::string countEnd;    // last-item marker
  std::vector<FreeParameter> freeParameters;
  std::string formatSpec;
};

class CommandProcessor {
 public:
  CommandProcessor(UserInterface& ui, CommandSet& commands, const NavigatorSettings& settings,
                   NavigationState& state, PageWriter& writer, PageView& view, PageView& printView,
                   NavigatorChrome& chrome, CommandHost& host);

  // Runs the command of state.params. Its only results are the page shown
  // (or printed, or followed) and the messages.
  void RunCommand();

  // Appends the context fields of `values` (the page state) to `record`.
  void BuildContextRecord(const CommandValues& values, StringList& record) const;
  // The current selection: formatted by CHECKPFT when the page names one,
  // else SelectedList.
  StringList GetSelection(const CommandValues& values) const;

  // The values of the current parameter set.
  CommandValues ResolveValues() const;

 private:
  using Command = std::string (CommandProcessor::*)(CommandValues&);
  enum class Shows {
    kPage,      // the command's page, also an empty one
    kNothing,   // the command ends without a page of its own
    kTextOnly,  // a page only when the command gave a text
  };
  struct CommandEntry {
    int number;
    Command run;
    Shows shows;
  };
  static const CommandEntry kCommands[];

  std::string ShowRecord(CommandValues& values);      // 1
  std::string Search(CommandValues& values);          // 2
  std::string ServerPage(CommandValues& values);      // 3
  std::string TermList(CommandValues& values);        // 4
  std::string ListPage(CommandValues& values);        // 5
  std::string EnterRecord(CommandValues& values);     // 6, record_entry.cc
  std::string ExportRecords(CommandValues& values);   // 7, record_exchange.cc
  std::string ImportRecords(CommandValues& values);   // 8, record_exchange.cc
  std::string PressButton(CommandValues& values);     // 9
  std::string FullTextSearch(CommandValues& values);  // 10
  std::string CallExternal(CommandValues& values);    // 11, external_action.cc

  std::string BrowseByMfn(CommandValues& values);
  std::string SearchPage(CommandValues& values, const StringList& answer, int32_t first);
  void SetHitMarkers(CommandValues& values, const StringList& hits, int32_t first);
  StringList StopWords(const std::string& database);

  // Formats `record` with `formatName` on the client; the output as text.
  std::string FormatOnClient(StringList& record, const std::string& database,
                             const std::string& formatName) const;
  // An empty record with the context fields, formatted on the client.
  std::string FormatContext(const CommandValues& values, const std::string& formatName) const;

  std::string Frame(const CommandValues& values, std::string page) const;
  std::string MarkWords(const CommandValues& values, std::string page) const;
  void Deliver(const CommandValues& values, std::string page);

  int32_t TagFor(Tag tag, Param override) const;

  UserInterface& ui_;
  CommandSet& commands_;
  const NavigatorSettings& settings_;
  NavigationState& state_;
  PageWriter& writer_;
  PageView& view_;
  PageView& printView_;
  NavigatorChrome& chrome_;
  CommandHost& host_;
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_COMMAND_PROCESSOR_H_
