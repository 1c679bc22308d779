// The transport: the one owner of everything that talks to the catalogue
// server — the session identity, the sockets, the receive buffer, the last
// request and answer, the binary block of the last answer, the resource cache
// and the full-text settings — together with the logic of the wait dialog
// that shows while an exchange takes long. docs/protocol.md ("Transport")
// describes the behaviour in prose.
//
// One exchange at a time: every exchange opens a fresh TCP connection, sends
// one packet and takes the answer as complete when the server closes the
// connection (or, tunnelled through a web server's gateway, when the end
// marker has arrived). The non-blocking path (the default) waits in a nested
// loop on the core's EventLoop, so timers, the stop button and other events
// stay alive; the blocking path sends and receives in one call.
//
// Everything runs on the core loop's thread.

#ifndef TALOR_CLIENT_TRANSPORT_H_
#define TALOR_CLIENT_TRANSPORT_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "client/framing.h"
#include "client/receive_buffer.h"
#include "client/resource_cache.h"
#include "client/result_codes.h"
#include "client/server_answer.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/loop_timer.h"
#include "platform/user_interface.h"
#include "text/string_list.h"

namespace talor {

// The full-text search settings (SetFullTextDefaults).
struct FullTextSettings {
  bool morphology = false;
  std::string prefix = "KT=";
  std::string distance;  // decimal text; not a number sends -1
  int limit = 100;       // outside 1..32000 sends 100
  std::string extra;
};

// The port text as a port number: a decimal integer from 0 to 65535;
// nullopt otherwise.
std::optional<uint16_t> PortNumber(std::string_view portText);

class Transport {
 public:
  static constexpr int kDefaultWaitSeconds = 3;
  static constexpr std::chrono::milliseconds kWaitTick{100};
  static constexpr std::chrono::milliseconds kNoOperationInterval{60000};
  static constexpr int kSilentRetries = 5;
  // The receive buffer's first capacity (it grows geometrically from there)
  // and the least room a read offers.
  static constexpr size_t kReceiveChunk = 32000;
  // The most bytes one read takes. Reads take the room the buffer already
  // has up to this, so a large answer costs few system calls, and each
  // stretch read is still in the cache when it is split into lines.
  static constexpr size_t kReadMost = size_t{256} << 10;
  // The largest answer accepted. The largest real answers are resources,
  // which the server delivers up to 64 MiB; twice that leaves room for
  // their framing and for text resources whose line ends grow on the wire.
  static constexpr size_t kDefaultAnswerLimit = size_t{128} << 20;
  // The most line breaks the text part of an answer may hold: every line
  // costs the client far more memory than its bytes on the wire.
  static constexpr size_t kAnswerLineLimit = size_t{4} << 20;
  // How long an exchange may take from the connect to the whole answer. Long
  // enough for the slowest real command; a server that trickles or never
  // closes is given up after it.
  static constexpr std::chrono::milliseconds kDefaultAnswerDeadline{600000};

  // The wait dialog's geometry.
  static constexpr int kWaitFormWidth = 270;
  static constexpr int kWaitFormHeight = 130;
  static constexpr int kAnimationWidth = 65;
  static constexpr int kAnimationStep = 3;
  static constexpr int kAnimationMargin = 7;
  static constexpr int kProgressStep = 3;
  static constexpr int kProgressMax = 100;

  static constexpr std::string_view kCaption = "Внимание!";
  static constexpr std::string_view kCorruptAnswerMessage =
      "Произошла ошибка при получении данных от сервера (";
  static constexpr std::string_view kBrokenConnectionMessage = "Связь с сервером ТАЛОР64 прервана.";
  static constexpr std::string_view kRepeatQuestion = " Следует повторить обращение к серверу";
  static constexpr std::string_view kAnswerTooLargeMessage = "Ответ сервера слишком велик (более ";
  static constexpr std::string_view kAnswerTooManyLinesMessage =
      "Ответ сервера содержит слишком много строк (более ";
  static constexpr std::string_view kAnswerTimedOutMessage = "Сервер не передал ответ за ";
  static constexpr std::string_view kExchangeAbandoned = " Обмен с сервером прерван.";

  // The client id is drawn from a generator seeded by `clock`.
  Transport(EventLoop& loop, UserInterface& ui, const Clock& clock);
  ~Transport();
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  // ---- session (Set at login and by a change of server)
  // Sets the server and the workstation code for the following requests.
  void SetServer(std::string_view host, std::string_view port, std::string_view workstationCode);
  SessionIdentity& identity() { return identity_; }
  const SessionIdentity& identity() const { return identity_; }

  // ---- switches (set at start from the server-provided settings)
  // Seconds before the wait dialog shows (SHOW_WAITING_IN_SECOND); negative
  // values count as 0.
  void SetWaitSeconds(int seconds) { waitSeconds_ = seconds < 0 ? 0 : seconds; }
  // The blocking path (BlockSocket).
  void SetBlocking(bool blocking) { blocking_ = blocking; }
  bool blocking() const { return blocking_; }
  // The port whose requests go through the web server's gateway: kTunnelPort
  // in use; tests take a free port instead, as port 80 is seldom theirs.
  void SetTunnelPort(std::string_view port) { tunnelPort_ = port; }
  // The bounds of one answer: its size in bytes and the time from the start
  // of the exchange to its end. An answer beyond either fails the exchange
  // with an error message and without a resend.
  void SetAnswerLimit(size_t bytes) { answerLimit_ = bytes; }
  void SetAnswerDeadline(std::chrono::milliseconds deadline);

  // ---- command wrapper
  enum class CommandKind { Ordinary, Registration };
  // Runs one command operation: refuses with Busy at once, sending nothing,
  // while another operation runs; otherwise builds the header for `command`,
  // appends `parameters` (sent as given) and runs the exchange with up to
  // kSilentRetries silent resends. `answer` receives the stripped answer
  // lines on Good; on Failed it holds what the exchange left (a local error
  // code line or nothing). A registration resets the sequence number; it is
  // refused only while an exchange is actually in progress.
  ExchangeResult RunCommand(char command, std::string_view parameters, StringList& answer,
                            CommandKind kind = CommandKind::Ordinary);
  // As above, with the answer lines as views into the received bytes: no
  // line is copied. `answer` is replaced whenever an exchange runs (it is
  // emptied as the exchange begins).
  ExchangeResult RunCommand(char command, std::string_view parameters, ServerAnswer& answer,
                            CommandKind kind = CommandKind::Ordinary);

  // The retry procedure around one exchange of the request prepared in
  // requestText(). Asks the user after a broken connection and after the
  // silent resends; a No ends the application (through the UserInterface)
  // and returns Failed.
  ExchangeResult RunExchange(ServerAnswer& answer);

  // ---- handlers of the wait dialog
  // The stop button (and its Escape key): sends a stop packet (level 0,
  // then 1) and gives the exchange up on the third press. Does nothing when
  // no exchange runs. A window outside the core posts the press to the core
  // loop, where the exchange's nested wait runs it.
  void BitBtnWaitClick();
  void TimerWaitTimer();
  void TimerNoOperationTimer();

  // ---- state of the last exchange (the views are valid until the next
  // exchange begins)
  ExchangeResult busyLock() const { return busyLock_; }
  bool exchangeRunning() const { return state_ == ExchangeResult::Busy; }
  const std::string& requestText() const { return requestText_; }
  std::string_view answerText() const { return answerText_; }
  // The binary data of the last answer (empty when none came).
  std::string_view binaryBlock() const { return binary_; }
  // Whether the last answer carried the binary marker at all.
  bool binaryArrived() const { return binaryArrived_; }
  const WaitFormState& waitForm() const { return waitForm_; }
  bool noOperationTimerEnabled() const { return timerNoOperation_.enabled(); }

  // ---- owned for the run
  ResourceCache& resourceCache() { return cache_; }
  FullTextSettings& fullText() { return fullText_; }

 private:
  enum class FailureKind {
    None,
    CorruptAnswer,
    AnswerTooLarge,
    AnswerTooManyLines,
    AnswerTimedOut
  };
  struct Connection;

  // Runs one command operation; `exchanged` tells whether an exchange ran
  // and so replaced `answer`.
  ExchangeResult RunCommandOnce(char command, std::string_view parameters, ServerAnswer& answer,
                                CommandKind kind, bool& exchanged);
  ExchangeResult RunNonBlocking(ServerAnswer& answer);
  ExchangeResult RunBlocking(ServerAnswer& answer);

  // What one turn of reading came to.
  struct ReadTurn {
    bool drained = false;  // the socket held no more bytes for now
    bool ended = false;    // the answer is complete
    FailureKind broken = FailureKind::None;
    std::error_code error;  // a read failed
  };
  // The most bytes one turn reads before it lets the loop run other events.
  static constexpr size_t kReadTurnBytes = 4 * kReadMost;
  // Reads what the socket (a connected descriptor) holds, a receive room
  // at a time and without waiting, until it holds no more, the answer
  // is complete (the server closed the connection or, tunnelled, the end
  // marker came), a read fails, the answer breaks a bound, or the turn has
  // read kReadTurnBytes.
  ReadTurn ReadAvailable(int socket);

  // Non-blocking socket events.
  void OpenConnection(const std::string& packet);
  void OnConnected(const std::shared_ptr<Connection>& connection);
  // Waits until the socket has bytes to read, then reads them in turns.
  void StartRead(const std::shared_ptr<Connection>& connection);
  void ReadTurnOf(const std::shared_ptr<Connection>& connection);
  void OnDisconnected();
  // Completes the split of what was received into the answer text, its
  // lines (spans of the received bytes) and the binary block, unwraps a
  // tunnelled answer and checks the lines against the request; both
  // transport paths accept an answer through it. nullopt, with nothing
  // taken, when the text holds more line breaks than kAnswerLineLimit.
  std::optional<AnswerCheck> AcceptReceived(ServerAnswer& answer);
  // Starts an answer: forgets the last one and takes its store back for the
  // new one when no caller holds it any more.
  void BeginAnswer();
  void ResetReceiveBuffer();
  // Room for the next read: the buffer's spare capacity, but at least
  // kReceiveChunk and at most kReadMost bytes, and never more than one byte
  // past what the answer's size limit leaves, so that passing it shows.
  std::span<char> ReceiveRoom();
  // Takes `count` bytes read into ReceiveRoom() and splits what they
  // complete into lines; the bound they break, if any (AnswerTooLarge,
  // AnswerTooManyLines), and FailureKind::None otherwise.
  FailureKind TakeReceived(size_t count);
  // Ends the exchange because the answer broke one of its bounds.
  void AbandonAnswer(FailureKind kind);
  void AnswerDeadlinePassed();
  // Tells the user why an exchange was abandoned; false when it was not.
  bool ReportAbandonedAnswer();
  void FailExchange(bool keepAnswerLines);
  void CloseConnection();
  void SendStopPacket(std::string packet);

  // The wait dialog.
  void ShowWaitForm(bool visible);
  void UpdateWaitForm();
  void StopWaiting();

  // Fixed for the run.
  EventLoop& loop_;
  UserInterface& ui_;
  std::shared_ptr<bool> alive_;
  LoopTimer timerWait_;
  LoopTimer timerNoOperation_;
  LoopTimer timerAnswerDeadline_;
  ResourceCache cache_;
  FullTextSettings fullText_;

  // Set at login and by the start switches.
  SessionIdentity identity_;
  int waitSeconds_ = kDefaultWaitSeconds;
  bool blocking_ = false;
  std::string tunnelPort_{kTunnelPort};
  size_t answerLimit_ = kDefaultAnswerLimit;
  std::chrono::milliseconds answerDeadline_ = kDefaultAnswerDeadline;

  // Valid for one command operation.
  ExchangeResult busyLock_ = ExchangeResult::Good;
  int silentRetriesLeft_ = kSilentRetries;
  std::string requestText_;

  // Valid for one exchange.
  ExchangeResult state_ = ExchangeResult::Good;
  bool retry_ = false;
  FailureKind failureKind_ = FailureKind::None;
  bool tunnelled_ = false;
  std::shared_ptr<Connection> connection_;
  // The answer being received; once accepted, its bytes and lines move to
  // answerStore_, shared with the caller's ServerAnswer.
  std::shared_ptr<AnswerStore> receiving_;
  AnswerScanner scanner_;
  std::shared_ptr<AnswerStore> answerStore_;
  std::string_view answerText_;
  ServerAnswer answerLines_;
  std::string_view binary_;
  bool binaryArrived_ = false;
  WindowId owner_ = kNoWindow;
  int ticks_ = 0;
  WaitFormState waitForm_;
  StringList noOperationAnswer_;
};

}  // namespace talor

#endif  // TALOR_CLIENT_TRANSPORT_H_
