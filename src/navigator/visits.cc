// The back/forward stack of the navigator and the selection of records that
// travels with it.

#include <algorithm>

#include "navigator/navigator.h"
#include "navigator/page_context.h"
#include "text/encoding.h"
#include "text/number_text.h"
#include "text/utf8_text.h"

namespace talor {
namespace {

constexpr std::string_view kCheckboxType = "checkbox";

bool IsHtml(const PageView& view) { return view.DocumentType().find("HTML") != std::string::npos; }

}  // namespace

void Navigator::SaveScrollPosition() {
  if (Visit* visit = state_.CurrentVisit(); visit != nullptr && IsHtml(view_)) {
    visit->scrollTop = view_.ScrollTop();
  }
}

std::string Navigator::ServerContext() const {
  return ContextText({state_.CheckNameMarker, state_.CurrentDbName, server_.ServerAddress()});
}

void Navigator::RecordVisit() {
  if (state_.SkipNextVisit) {
    state_.SkipNextVisit = false;
    if (const Visit* visit = state_.CurrentVisit(); visit != nullptr && IsHtml(view_)) {
      view_.SetScrollTop(visit->scrollTop);
    }
  } else {
    const bool pseudo = IsPseudoUrl(state_.CurrentURL);
    const bool reload = pseudo && state_.params.Get(settings_, Param::RELOAD) == "1";
    const Visit* current = state_.CurrentVisit();
    const bool same = current != nullptr && current->url == state_.CurrentURL &&
                      current->postText == state_.CurrentPostData;
    if (!same || (pseudo && !reload)) {
      state_.visits.resize(state_.VisitIndex + 1);
      Visit visit;
      visit.url = state_.CurrentURL;
      visit.reload = pseudo ? DecimalToInt(state_.params.Get(settings_, Param::RELOAD), 0) : 0;
      visit.postText = state_.CurrentPostData;
      if (pseudo) visit.serverContext = ServerContext();
      const std::string title = IsHtml(view_) ? view_.Title() : std::string();
      visit.caption =
          Utf8Prefix(title.empty() ? state_.CurrentURL : title, settings_.maxHistoryTitleLength);
      state_.visits.push_back(std::move(visit));
      state_.VisitIndex = static_cast<int>(state_.visits.size()) - 1;
      chrome_.HistoryVisit(state_.CurrentURL, state_.CurrentPostData, title);
    }
  }
  RestoreSelection();
  chrome_.VisitsChanged();
}

void Navigator::GoToVisit(int index) {
  if (state_.CommandBusy || index < 0 || index >= static_cast<int>(state_.visits.size())) return;
  chrome_.StartAnimation();
  HarvestSelection();
  SaveScrollPosition();
  state_.VisitIndex = index;
  const Visit visit = state_.visits[index];
  if (!visit.serverContext.empty() && visit.serverContext != ServerContext()) {
    SwitchToContext(visit.serverContext);
  }
  if (!RestoreSavedPage(visit)) {
    state_.SkipNextVisit = true;
    NavigateWithPost(visit.url, visit.postText);
  } else {
    chrome_.StopAnimation();
  }
  RestoreSelection();
  state_.CurrentURL = visit.url;
  state_.CurrentPostData = visit.postText;
  chrome_.VisitsChanged();
}

// Takes the checkbox marker, the database and the server of an entry made
// under another context.
void Navigator::SwitchToContext(const std::string& context) {
  const PageContext target = ParseContext(context);
  state_.CheckNameMarker = target.checkNameMarker;
  state_.CurrentDbName = target.dbName;
  state_.SelectedList.Clear();
  RestoreSelection();
  if (!target.serverAddress.empty() && target.serverAddress != server_.ServerAddress()) {
    server_.ChangeServer(target.serverAddress, "");
  }
}

// Writes the page of a pseudo-URL entry back as the reader left it; false
// when the entry has to be requested again.
bool Navigator::RestoreSavedPage(const Visit& visit) {
  if (!IsPseudoUrl(visit.url) || visit.reload != 0 || visit.html.empty() || !IsHtml(view_)) {
    return false;
  }
  view_.Stop();
  loop_.WaitUntil([this] { return !view_.Busy(); });
  if (!view_.Write(visit.html)) return false;
  view_.Close();
  view_.SetScrollTop(visit.scrollTop);
  return true;
}

// The page's checkboxes whose name contains the marker (none for an empty
// marker).
std::vector<ElementHandle> Navigator::SelectionBoxes() const {
  std::vector<ElementHandle> boxes;
  if (state_.CheckNameMarker.empty()) return boxes;
  for (ElementHandle input : view_.ElementsByTag("INPUT")) {
    if (Utf8LowerCase(view_.Type(input)) == kCheckboxType &&
        view_.Name(input).find(state_.CheckNameMarker) != std::string::npos) {
      boxes.push_back(input);
    }
  }
  return boxes;
}

void Navigator::HarvestSelection() {
  Visit* visit = state_.CurrentVisit();
  if (!IsHtml(view_) || visit == nullptr || !IsPseudoUrl(visit->url)) return;
  for (ElementHandle box : SelectionBoxes()) {
    const std::string value = view_.Value(box);
    auto& lines = state_.SelectedList.lines();
    auto found = std::find_if(lines.begin(), lines.end(),
                              [&](const ListLine& line) { return line.text == value; });
    if (view_.Checked(box) && found == lines.end()) state_.SelectedList.Add(value);
    if (!view_.Checked(box) && found != lines.end()) lines.erase(found);
  }
  if (visit->reload == 0) {
    std::vector<ElementHandle> html = view_.ElementsByTag("HTML");
    if (!html.empty()) visit->html = view_.InnerHtml(html.front());
  }
}

void Navigator::RestoreSelection() {
  const Visit* visit = state_.CurrentVisit();
  if (!IsHtml(view_) || visit == nullptr || !IsPseudoUrl(visit->url)) return;
  for (ElementHandle box : SelectionBoxes()) {
    const std::string value = view_.Value(box);
    const auto& lines = state_.SelectedList.lines();
    view_.SetChecked(box, std::any_of(lines.begin(), lines.end(),
                                      [&](const ListLine& line) { return line.text == value; }));
  }
}

}  // namespace talor
