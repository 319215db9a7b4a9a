// When the window's handlers run, and what the window does meanwhile, on
// the one thread the tool has. A click runs its handler at once when none
// runs; a click that arrives while one works or waits in a message box (sent
// by another program and delivered while the window keeps answering) waits
// its turn and runs after it, one at a time, never inside it. A close asked
// for meanwhile is carried out once the last of them has ended. While a
// handler works, about ten times a second at the next operation it asks of
// the platform, the window lets the system deliver the messages sent to it,
// and draws what the form has logged so far as long as drawing takes no
// more than a fiftieth of the time. No window system in here: the window
// gives the clock and carries out what is decided.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "form/ControlIds.h"
#include "platform/FunctionRef.h"

namespace lnf {

// Milliseconds from some fixed moment, wrapping around after 2^32.
class TickClock {
 public:
  virtual ~TickClock() = default;
  virtual std::uint32_t Ticks() = 0;
};

// What the window does when the work state says so.
class WorkActions {
 public:
  virtual ~WorkActions() = default;
  virtual void RunClick(ControlId id) = 0;
  // The wait cursor while a handler works; the arrow while it waits for the
  // user and once the work has ended.
  virtual void ShowBusy(bool busy) = 0;
  // Brings the view up to date and paints what needs painting.
  virtual void Draw() = 0;
  // Delivers the messages sent to the window; input stays queued.
  virtual void LetSentMessagesIn() = 0;
  // The close that was kept until the work ended.
  virtual void Close() = 0;
};

class WorkState {
 public:
  // Often enough that the console follows the work and a message sent to
  // the window is answered at once to a person; rare enough that a backup
  // spends next to nothing on it.
  static constexpr std::uint32_t kBeatMs = 100;
  // What an append to the console and a repaint cost differs widely from one
  // system to another (from well under a millisecond to tens of them), so
  // the next drawing waits this many times as long as the last one took,
  // and never less than a beat.
  static constexpr std::uint32_t kWorkPerDrawing = 50;

  WorkState(WorkActions& actions, TickClock& clock) : actions_(actions), clock_(clock) {}

  void Click(ControlId id);
  // Work of the window's own that no click starts (an unattended
  // collection): `work()` runs as a click's handler does, at once or after
  // the ones at work, and may not let a failure through. The callable must
  // live until it has run.
  using Work = FunctionRef<void()>;
  void Run(Work work);
  // True: close now. False: handlers run, and the window closes once they
  // have ended.
  bool AskClose();

  // Handlers run, working or waiting for the user.
  bool Running() const { return running_; }
  // A handler runs and does not wait for the user.
  bool Working() const { return running_ && !waiting_; }

  // Before each operation a handler asks of the platform.
  void BeforeOperation();
  // A message box opened by a handler waits for the user, or has closed.
  void WaitingForUser(bool waiting);

 private:
  // A click's control, or the window's own work.
  struct Pending {
    ControlId click;
    std::optional<Work> work;
  };

  void Enqueue(const Pending& pending);
  void Begin();
  void End();
  void Draw(std::uint32_t start);

  WorkActions& actions_;
  TickClock& clock_;
  std::deque<Pending> pending_;
  bool running_ = false;
  bool waiting_ = false;
  bool closeAsked_ = false;
  std::uint32_t lastBeat_ = 0;
  std::uint32_t lastDrawn_ = 0;
  std::uint32_t drawingGap_ = kBeatMs;
};

}  // namespace lnf
