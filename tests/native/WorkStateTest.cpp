#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/WorkState.h"
#include "support/MemoryPlatform.h"

namespace lnf {
namespace {

// A window that writes down what it is told to do, on a clock the test
// moves. A handler is whatever the test makes of it, and may send the
// window more messages from inside, as another program would.
class RecordingWindow : public WorkActions, public TickClock {
 public:
  void RunClick(ControlId id) override {
    events.push_back("begin " + std::to_string(id));
    if (handlers.count(id)) handlers[id]();
    events.push_back("end " + std::to_string(id));
  }
  void ShowBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  void Draw() override {
    events.push_back("draw@" + std::to_string(now - start));
    now += drawingCost;
  }
  void LetSentMessagesIn() override { events.push_back("beat@" + std::to_string(now - start)); }
  void Close() override { events.push_back("close"); }
  std::uint32_t Ticks() override { return now; }

  // Just short of the wrap: the clock runs over it as GetTickCount does.
  std::uint32_t start = 0xFFFFFF00u;
  std::uint32_t now = start;
  std::uint32_t drawingCost = 0;
  std::map<ControlId, std::function<void()>> handlers;
  std::vector<std::string> events;
};

using Events = std::vector<std::string>;

TEST(WorkState, ClicksAndClosesDuringWorkWaitForItsEnd) {
  RecordingWindow window;
  WorkState state(window, window);

  // A click sent from inside a handler runs after it, never inside, and so
  // does one sent while the handler waits in a message box.
  window.handlers[kCommand1] = [&] {
    state.Click(kV3btn);
    state.WaitingForUser(true);
    state.Click(kCommand2);
    state.WaitingForUser(false);
  };
  state.Click(kCommand1);
  EXPECT_EQ(window.events, (Events{"busy", "begin 136", "idle", "busy", "end 136", "begin 134",
                                   "end 134", "begin 135", "end 135", "idle"}));
  EXPECT_FALSE(state.Running());

  // A close asked for during work is carried out once the last handler has
  // ended, also when asked while a box waits; none is kept for later.
  window.events.clear();
  window.handlers[kCommand1] = [&] {
    state.Click(kCommand2);
    state.WaitingForUser(true);
    EXPECT_FALSE(state.AskClose());
    state.WaitingForUser(false);
  };
  state.Click(kCommand1);
  EXPECT_EQ(window.events, (Events{"busy", "begin 136", "idle", "busy", "end 136", "begin 135",
                                   "end 135", "idle", "close"}));
  window.events.clear();
  state.Click(kCommand2);
  EXPECT_EQ(window.events, (Events{"busy", "begin 135", "end 135", "idle"}));
  // With no work, the window closes at once.
  EXPECT_TRUE(state.AskClose());

  // A handler that lets a failure through leaves neither the clicks behind
  // it waiting nor the window working.
  window.events.clear();
  window.handlers[kCommand1] = [&] {
    state.Click(kCommand2);
    throw std::runtime_error("through");
  };
  state.Click(kCommand1);
  EXPECT_EQ(window.events, (Events{"busy", "begin 136", "begin 135", "end 135", "idle"}));
  EXPECT_FALSE(state.Running());
}

TEST(WorkState, TheWorkingAnswerIsOneOnlyWhileAHandlerRunsUnwaiting) {
  RecordingWindow window;
  WorkState state(window, window);
  std::vector<bool> seen;
  window.handlers[kCommand3] = [&] {
    seen.push_back(state.Working());
    state.WaitingForUser(true);
    seen.push_back(state.Working());
    EXPECT_TRUE(state.Running());
    state.WaitingForUser(false);
    seen.push_back(state.Working());
  };
  EXPECT_FALSE(state.Working());
  state.Click(kCommand3);
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
  EXPECT_FALSE(state.Working());
  // A box outside any handler (the start-up warning) changes nothing.
  state.WaitingForUser(true);
  state.WaitingForUser(false);
  EXPECT_FALSE(state.Working());
  EXPECT_EQ(window.events.back(), "idle");
}

// Operations at the given times after the handler began.
void OperateAt(RecordingWindow& window, WorkState& state, std::vector<std::uint32_t> times) {
  for (std::uint32_t t : times) {
    window.now = window.start + t;
    state.BeforeOperation();
  }
}

TEST(WorkState, DrawingFollowsTheBeatAndTakesAtMostAFiftiethOfTheTime) {
  RecordingWindow window;
  WorkState state(window, window);
  Events beats;
  window.handlers[kCommand5] = [&] {
    window.events.clear();
    // Nothing within the first beat; then a beat, with a drawing that costs
    // 10 ms, so the next waits 500 ms after it while the beats go on.
    window.drawingCost = 10;
    OperateAt(window, state, {0, 99, 100, 209, 210, 510, 609});
    EXPECT_EQ(window.events, (Events{"draw@100", "beat@110", "beat@210", "beat@510"}));
    window.events.clear();
    // Cheap drawings: one at every beat.
    window.drawingCost = 1;
    OperateAt(window, state, {610, 710, 711, 812});
    EXPECT_EQ(window.events,
              (Events{"draw@610", "beat@611", "draw@711", "beat@712", "draw@812", "beat@813"}));
    window.events.clear();
    // No beats while a box waits; the view caught up before it, so the
    // next drawing is a beat after the box closed.
    state.WaitingForUser(true);
    OperateAt(window, state, {1000, 2000});
    state.WaitingForUser(false);
    OperateAt(window, state, {2050, 2100});
    EXPECT_EQ(window.events, (Events{"idle", "busy", "draw@2100", "beat@2101"}));
    window.events.clear();
  };
  state.Click(kCommand5);
  // Nor once the work has ended.
  OperateAt(window, state, {5000});
  EXPECT_EQ(window.events, (Events{"end 104", "idle"}));
}

// What feeds the work state: the file system tells before each operation
// and each name a listing yields, and a box tells that it waits and, also
// when it fails, that it no longer does. What takes no time tells nothing.
TEST(WorkState, TheFileSystemAndTheBoxesTellTheirWatcher) {
  struct Watcher : PlatformWatcher {
    void BeforeOperation() override { events.push_back("op"); }
    void WaitingForUser(bool waiting) override { events.push_back(waiting ? "wait" : "go"); }
    Events events;
  } watcher;
  MemoryPlatform drive;
  drive.AddFile("C:\\a\\x.txt", "xy");
  drive.AddFile("C:\\a\\y.txt");
  drive.FileSystem::SetWatcher(&watcher);
  drive.FileStreams::SetWatcher(&watcher);
  drive.Prompts::SetWatcher(&watcher);

  auto listing = drive.Enumerate("C:\\a\\*.*", EntryFilter::kFiles);
  while (!listing->Next().empty()) {
  }
  EXPECT_EQ(watcher.events, (Events{"op", "op", "op", "op"}));
  watcher.events.clear();
  drive.GetAttributes("C:\\a");
  drive.UpperCaseName("x.txt");
  drive.GetEnvironmentValue("windir");
  EXPECT_EQ(watcher.events, Events{"op"});
  watcher.events.clear();
  // Each read of a stream, where packing a big file spends its time.
  auto stream = drive.OpenRead("C:\\a\\x.txt");
  char byte;
  while (stream->Read(&byte, 1) != 0) {
  }
  EXPECT_EQ(watcher.events, (Events{"op", "op", "op", "op"}));
  watcher.events.clear();

  drive.onMessage = [&](const MemoryPlatform::Message&) {
    EXPECT_EQ(watcher.events, Events{"wait"});
    throw std::runtime_error("the box could not be shown");
  };
  EXPECT_THROW(drive.ShowMessage("text", kBoxOk), std::runtime_error);
  EXPECT_EQ(watcher.events, (Events{"wait", "go"}));
}

}  // namespace
}  // namespace lnf
