#include "platform/user_interface.h"

namespace talor {

bool AskYesNo(UserInterface& ui, std::string_view caption, std::string_view text) {
  MessageBoxRequest request{std::string(caption), std::string(text), MessageIcon::Question,
                            MessageButtons::YesNo, true};
  return ui.ShowMessage(request) == ModalResult::Yes;
}

void ShowErrorBox(UserInterface& ui, std::string_view caption, std::string_view text) {
  ui.ShowMessage({std::string(caption), std::string(text), MessageIcon::Exclamation,
                  MessageButtons::Ok, true});
}

void ShowInformationBox(UserInterface& ui, std::string_view caption, std::string_view text) {
  ui.ShowMessage({std::string(caption), std::string(text), MessageIcon::Information,
                  MessageButtons::Ok, true});
}

}  // namespace talor
