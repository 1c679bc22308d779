// The navigation state that the main window owns for the whole run and that
// the interception, the command processor and the page writer share: the
// parameter set of the last pseudo-URL, the current address and database,
// the selection of records, the flags of a running command, and the
// back/forward stack.

#ifndef TALOR_NAVIGATOR_NAVIGATION_STATE_H_
#define TALOR_NAVIGATOR_NAVIGATION_STATE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "navigator/parameters.h"
#include "text/string_list.h"

namespace talor {

// One entry of the back/forward stack.
struct Visit {
  std::string url;            // UTF-8
  int32_t reload = 0;         // the RELOAD parameter when the entry was made
  std::string postText;       // the POST text (PostDataToText form)
  std::string html;           // the page as the user left it; empty until then
  int scrollTop = 0;          // the body's scroll position as the user left it
  std::string serverContext;  // "<marker>,<database>,<server>" or empty
  std::string caption;        // the menu caption: the title or the address
};

struct NavigationState {
  // The parameters of the last pseudo-URL; kept until the next one.
  ParameterSet params;

  std::string CurrentURL;       // UTF-8; the pseudo-URL, not the file shown
  std::string CurrentPostData;  // the POST text that came with CurrentURL
  std::string CurrentDbName;
  std::string CurrentPftName;

  // The selection: values of checked boxes whose name contains the marker.
  std::string CheckNameMarker;
  StringList SelectedList;

  bool OwnNavigationPending = false;
  bool CommandBusy = false;
  bool SkipNextVisit = false;

  std::vector<Visit> visits;
  int VisitIndex = -1;  // -1 while the stack is empty

  Visit* CurrentVisit() {
    return VisitIndex >= 0 && VisitIndex < static_cast<int>(visits.size()) ? &visits[VisitIndex]
                                                                           : nullptr;
  }
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_NAVIGATION_STATE_H_
