#include "platform/scripted_user_interface.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/loop_timer.h"

namespace talor {
namespace {

// A minimal login dialog: OK closes with Ok when a user is typed in.
class FakeConnectForm : public ConnectFormEvents {
 public:
  ConnectFormFields& fields() override { return fields_; }
  std::optional<ModalResult> modalResult() const override { return result_; }
  void OKBitBtnClick() override {
    ++okPresses;
    if (!fields_.user.empty()) result_ = ModalResult::Ok;
  }
  void CancelBitBtnClick() override { result_ = ModalResult::Abort; }
  void CloseBoxClick() override { result_ = ModalResult::Closed; }
  void UserEditEnter() override { fields_.focus = ConnectFormFields::Focus::Password; }
  void PasswordEditEnter() override { OKBitBtnClick(); }

  int okPresses = 0;

 private:
  ConnectFormFields fields_;
  std::optional<ModalResult> result_;
};

TEST(ScriptedUserInterfaceTest, MessageAnswersComeFromTheQueueThenTheDefault) {
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  ui.QueueMessageAnswer(ModalResult::Yes);
  EXPECT_TRUE(AskYesNo(ui, "Внимание!", "Первый"));
  EXPECT_FALSE(AskYesNo(ui, "Внимание!", "Второй"));  // questions default to No
  ui.SetDefaultMessageAnswer(ModalResult::Yes);
  EXPECT_TRUE(AskYesNo(ui, "Внимание!", "Третий"));
  ShowErrorBox(ui, "Ошибка", "Текст");
  ASSERT_EQ(ui.messages().size(), 4u);
  EXPECT_EQ(ui.messages()[1].text, "Второй");
  EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.messages()[3].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(ui.messages()[3].taskModal);
}

TEST(ScriptedUserInterfaceTest, ConnectFormPlaysItsScriptInOrder) {
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  FakeConnectForm form;
  ui.QueueConnectFormAction({ConnectFormAction::Kind::PressOk, "", ""});  // empty: stays open
  ui.QueueConnectFormAction({ConnectFormAction::Kind::TypeAndOk, "ivanov", "secret"});
  EXPECT_EQ(ui.ShowConnectForm(form), ModalResult::Ok);
  EXPECT_EQ(form.okPresses, 2);
  EXPECT_EQ(ui.lastConnectFields().user, "ivanov");
}

TEST(ScriptedUserInterfaceTest, ConnectFormLetsTheDialogsOwnTimerAct) {
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  FakeConnectForm form;
  form.fields().user = "reader";
  LoopTimer autoOk(loop, std::chrono::milliseconds(1), [&] {
    autoOk.Stop();
    form.OKBitBtnClick();
  });
  autoOk.Start();
  EXPECT_EQ(ui.ShowConnectForm(form), ModalResult::Ok);
  EXPECT_EQ(form.okPresses, 1);
}

TEST(ScriptedUserInterfaceTest, ConnectFormWithoutScriptClosesWithTheCloseBox) {
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  ui.SetConnectFormPatience(std::chrono::milliseconds(20));
  FakeConnectForm form;
  EXPECT_EQ(ui.ShowConnectForm(form), ModalResult::Closed);
}

TEST(ScriptedUserInterfaceTest, CountsTheWaitFormAppearances) {
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  WaitFormState shown;
  shown.visible = true;
  ui.WaitFormChanged(shown);
  ui.WaitFormChanged(shown);  // an update while visible is not a new appearance
  ui.WaitFormChanged(WaitFormState{});
  ui.WaitFormChanged(shown);
  EXPECT_EQ(ui.waitFormShowCount(), 2);
}

}  // namespace
}  // namespace talor
