// The wait dialog's handlers: its appearance timer, the stop button and the
// no-operation timer.

#include <asio/connect.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/write.hpp>

#include "client/transport.h"
#include "client/transport_connection.h"

namespace talor {

void Transport::ShowWaitForm(bool visible) {
  WaitFormState state = waitForm_;
  state.visible = visible;
  if (!visible) state.bounds = WindowRect{0, 0, 1, 1};
  if (state == waitForm_) return;
  waitForm_ = state;
  ui_.WaitFormChanged(waitForm_);
}

void Transport::UpdateWaitForm() { ui_.WaitFormChanged(waitForm_); }

void Transport::StopWaiting() {
  timerWait_.Stop();
  waitForm_.progress = 0;
  ShowWaitForm(false);
}

void Transport::TimerWaitTimer() {
  if (ticks_ < waitSeconds_ * 10) {
    ++ticks_;
    return;
  }
  if (waitForm_.bounds.width == 1) {
    WindowRect bounds{0, 0, kWaitFormWidth, kWaitFormHeight};
    if (std::optional<WindowRect> owner = ui_.GetWindowRect(owner_)) {
      bounds.left = owner->left + owner->width / 2 - kWaitFormWidth / 2;
      bounds.top = owner->top + owner->height / 2 - kWaitFormHeight / 2;
    }
    waitForm_.bounds = bounds;
    waitForm_.visible = true;
    waitForm_.animationLeft = kAnimationMargin;
  }
  waitForm_.animationLeft += kAnimationStep;
  if (waitForm_.animationLeft > waitForm_.bounds.width - kAnimationMargin) {
    waitForm_.animationLeft = kAnimationMargin - kAnimationWidth;
  }
  ++ticks_;
  waitForm_.progress += kProgressStep;
  if (waitForm_.progress > kProgressMax) waitForm_.progress = 0;
  UpdateWaitForm();
}

void Transport::BitBtnWaitClick() {
  // A press that arrives after the exchange has ended has nothing to stop.
  if (!exchangeRunning() || blocking_) return;
  SendStopPacket(FrameStopPacket(identity_));
  if (identity_.stopCounter > 2) {
    identity_.stopCounter = 1;
    CloseConnection();
    answerText_ = {};
    answerLines_.Clear();
    StopWaiting();
    failureKind_ = FailureKind::None;
    retry_ = true;
    state_ = ExchangeResult::Failed;
  } else {
    ++identity_.stopCounter;
  }
}

void Transport::SendStopPacket(std::string packet) {
  // Every press gets a connection of its own, so that each packet is sent
  // even while an earlier one is still on its way.
  auto stop = std::make_shared<Connection>(loop_.context());
  stop->packet = std::move(packet);
  const uint16_t port = PortNumber(identity_.port).value_or(kDefaultPort);
  stop->resolver.async_resolve(
      identity_.host, std::to_string(port),
      [stop](const asio::error_code& error, asio::ip::tcp::resolver::results_type endpoints) {
        if (error) return;
        asio::async_connect(
            stop->socket, endpoints,
            [stop](const asio::error_code& connectError, const asio::ip::tcp::endpoint&) {
              if (connectError) return;
              asio::async_write(stop->socket, asio::buffer(stop->packet),
                                [stop](const asio::error_code&, size_t) {
                                  asio::error_code ignored;
                                  stop->socket.shutdown(asio::ip::tcp::socket::shutdown_both,
                                                        ignored);
                                  stop->socket.close(ignored);
                                });
            });
      });
}

void Transport::TimerNoOperationTimer() {
  // While an exchange runs this is refused with Busy and sends nothing.
  if (busyLock_ == ExchangeResult::Busy) return;
  // After a minute without traffic the memory of the last answer, kept to
  // receive the next one, goes back; a caller's ServerAnswer keeps its own.
  answerText_ = {};
  binary_ = {};
  binaryArrived_ = false;
  answerStore_.reset();
  RunCommand('N', "", noOperationAnswer_);
}

}  // namespace talor
