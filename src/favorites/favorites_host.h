// What the favourites and the history need from the program around them: the
// navigator, to read the current page and to open an entry in its context
// (FavoritesNavigator), and the window, which mirrors the lists and the
// panel and shows the dialog for a new favourite (FavoritesView).

#ifndef TALOR_FAVORITES_FAVORITES_HOST_H_
#define TALOR_FAVORITES_FAVORITES_HOST_H_

#include <optional>
#include <string>
#include <string_view>

#include "favorites/page_entry.h"

namespace talor {

// The page shown now: the navigator's CurrentURL and CurrentPostData.
struct CurrentPage {
  std::string url;
  std::string postText;
};

class FavoritesNavigator {
 public:
  virtual ~FavoritesNavigator() = default;

  // The current step of the page list: its address, POST text, context and
  // caption (as `title`); nullopt before the first page.
  virtual std::optional<PageEntry> CurrentStep() const = 0;
  virtual CurrentPage Current() const = 0;
  // The checkbox marker, the current database and the server in use.
  virtual PageContext CurrentContext() const = 0;
  // True while a command runs: the navigator opens nothing then.
  virtual bool CommandBusy() const = 0;

  // Takes `marker` as the checkbox marker, empties the selection of records
  // and shows the page's boxes accordingly.
  virtual void SetCheckNameMarker(std::string_view marker) = 0;
  virtual void SetCurrentDbName(std::string_view dbName) = 0;
  // Moves the session to the server at `address` (the session's port); the
  // login handling asks the user when the server refuses.
  virtual void ChangeServer(std::string_view address) = 0;
  virtual void NavigateWithPost(std::string_view url, std::string_view postText) = 0;
};

// The dialog that names a new favourite (TAddFavoritesForm).
struct AddFavoritesForm {
  std::string caption;        // "Добавить в Избранное"
  std::string label;          // "Название:"
  std::string okCaption;      // OKBitBtn
  std::string cancelCaption;  // CancelBitBtn, from the message file
  std::string title;          // TitleEdit: preset, and as the user left it
};

// Every method has a default, so a window overrides only what it shows.
class FavoritesView {
 public:
  virtual ~FavoritesView() = default;
  // The favourites changed: the favourites menu and, when open, the list.
  virtual void FavoritesChanged() {}
  // The history or its order changed.
  virtual void HistoryChanged() {}
  // The open panel or the selected line changed.
  virtual void PanelChanged() {}
  // Shows TAddFavoritesForm modally. True when it ended with OK, the title
  // as the user left it in `form.title`. By default nothing is added.
  virtual bool ShowAddFavoritesForm(AddFavoritesForm& form) {
    (void)form;
    return false;
  }
};

}  // namespace talor

#endif  // TALOR_FAVORITES_FAVORITES_HOST_H_
