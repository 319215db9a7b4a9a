#include "app/WorkState.h"

namespace lnf {

void WorkState::Click(ControlId id) { Enqueue({id, std::nullopt}); }

void WorkState::Run(Work work) { Enqueue({kNoControl, work}); }

void WorkState::Enqueue(const Pending& pending) {
  pending_.push_back(pending);
  if (running_) return;
  Begin();
  while (!pending_.empty()) {
    const Pending next = pending_.front();
    pending_.pop_front();
    // The form reports its handlers' failures itself; nothing may unwind
    // into the system's code that delivered the click, nor leave the
    // clicks behind it waiting for good.
    try {
      if (next.work) {
        (*next.work)();
      } else {
        actions_.RunClick(next.click);
      }
    } catch (...) {
    }
  }
  End();
}

bool WorkState::AskClose() {
  if (!running_) return true;
  closeAsked_ = true;
  return false;
}

void WorkState::Begin() {
  running_ = true;
  waiting_ = false;
  lastBeat_ = clock_.Ticks();
  lastDrawn_ = lastBeat_;
  drawingGap_ = kBeatMs;
  actions_.ShowBusy(true);
}

void WorkState::End() {
  running_ = false;
  waiting_ = false;
  actions_.ShowBusy(false);
  if (closeAsked_) {
    closeAsked_ = false;
    actions_.Close();
  }
}

void WorkState::BeforeOperation() {
  if (!Working()) return;
  const std::uint32_t now = clock_.Ticks();
  if (now - lastBeat_ < kBeatMs) return;
  if (now - lastDrawn_ >= drawingGap_) Draw(now);
  actions_.LetSentMessagesIn();
  lastBeat_ = clock_.Ticks();
}

void WorkState::Draw(std::uint32_t start) {
  actions_.Draw();
  lastDrawn_ = clock_.Ticks();
  drawingGap_ = (lastDrawn_ - start) * kWorkPerDrawing;
  if (drawingGap_ < kBeatMs) drawingGap_ = kBeatMs;
}

void WorkState::WaitingForUser(bool waiting) {
  if (!running_) return;
  waiting_ = waiting;
  actions_.ShowBusy(!waiting);
  // The view was brought up to date before the box.
  if (!waiting) lastBeat_ = lastDrawn_ = clock_.Ticks();
}

}  // namespace lnf
