#include "basemaker/app/BuildWorker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "basemaker/app/BuilderStrings.h"

namespace {

using namespace std::chrono_literals;

struct Message {
  uint32_t code;
  uintptr_t wParam;
  intptr_t lParam;
  bool operator==(const Message&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Message& m) {
  return out << std::hex << "{0x" << m.code << ", " << std::dec << m.wParam << ", " << m.lParam
             << "}";
}

struct Box {
  std::string text;
  uint32_t style;
};

// Records what the worker posts, and answers message boxes from a queue.
class RecordingSink : public IBuildUiSink {
 public:
  void PostBuildMessage(uint32_t code, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({code, wParam, lParam});
    m_arrived.notify_all();
  }
  int ShowMessageBox(const std::string& text, uint32_t style) override {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back({text, style});
    if (m_answers.empty()) return 0;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }

  void Answer(std::initializer_list<int> answers) {
    std::lock_guard lock(m_mutex);
    m_answers.insert(m_answers.end(), answers);
  }
  // The index-th message, once it has arrived; nullopt after a generous wait.
  std::optional<Message> WaitFor(size_t index) {
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, 20s, [&] { return m_messages.size() > index; })) {
      return std::nullopt;
    }
    return m_messages[index];
  }
  std::vector<Message> Messages() {
    std::lock_guard lock(m_mutex);
    return m_messages;
  }
  std::vector<Box> Boxes() {
    std::lock_guard lock(m_mutex);
    return m_boxes;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::vector<Message> m_messages;
  std::vector<Box> m_boxes;
  std::deque<int> m_answers;
};

// Plays the main dialog: handles the worker's messages in order, from `next` on, until the
// build's closing caption message. Returns false if the build never got there.
bool RunDialog(CBuildWorker& worker, RecordingSink& sink, size_t& next) {
  for (;;) {
    const auto message = sink.WaitFor(next);
    if (!message) return false;
    ++next;
    std::string text;
    switch (message->code) {
      case WM_BUILD_PROGRESS: worker.GetProgressText(text); break;
      case WM_BUILD_ASK_CD: worker.AskInsertCd(); break;
      case WM_BUILD_ASK_MISSING: worker.AskAreaMissing(); break;
      default: break;
    }
    if (message->code == WM_BUILD_STATE && message->wParam == IDS_CREATE_DATABASE) return true;
  }
}

bool EventuallyIdle(CBuildWorker& worker) {
  for (int i = 0; i < 2000; ++i) {
    if (!worker.IsBuilding()) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

const Message kStarted{WM_BUILD_STATE, IDS_ABORT_CREATE, 0};
const Message kEnded{WM_BUILD_STATE, IDS_CREATE_DATABASE, 0};
const Message kProgress{WM_BUILD_PROGRESS, 0, 0};
Message Done(int result) { return {WM_BUILD_DONE, static_cast<uintptr_t>(result), 0x40}; }

CAreaList ListOf(std::initializer_list<const char*> titles) {
  CAreaList list;
  for (const char* title : titles) {
    AreaEntry entry;
    entry.title = title;
    list.AddArea(entry);
  }
  return list;
}

TEST(BuildWorker, BuildThatEndsByItselfPostsItsMessagesInOrderAndIsReaped) {
  RecordingSink sink;
  CBuildWorker worker(sink, [](CBuildWorker& w, CAreaList& areas, win::AutoResetEvent&) {
    w.SetProgressText(areas.m_entries.at(0).title.c_str());
    w.PostHeartbeat();
    return int(IDS_BUILD_READY);
  });
  ASSERT_TRUE(worker.StartBuild(ListOf({"Alps"})));
  size_t next = 0;
  ASSERT_TRUE(RunDialog(worker, sink, next));
  EXPECT_EQ(sink.Messages(), (std::vector<Message>{kStarted, kProgress, kProgress, kProgress,
                                                   kProgress, Done(IDS_BUILD_READY), kEnded}));
  EXPECT_TRUE(EventuallyIdle(worker));
  EXPECT_FALSE(worker.IsBuilding());
  EXPECT_FALSE(worker.AbortBuild());
}

TEST(BuildWorker, ProgressTextAlternatesWithPleaseWaitBetweenNewTexts) {
  RecordingSink sink;
  CBuildWorker worker(sink, [](CBuildWorker&, CAreaList&, win::AutoResetEvent&) { return 0; });
  std::vector<std::string> shown;
  auto fetch = [&] {
    std::string text;
    worker.GetProgressText(text);
    shown.push_back(text);
  };
  worker.SetProgressText("Step");
  fetch();  // the step's own message
  fetch();  // a heartbeat
  fetch();  // the next heartbeat
  worker.SetProgressTextId(IDS_ADD_AIRSPACE);
  fetch();
  worker.SetProgressTextId(99999);  // no such text: nothing changes, nothing is posted
  fetch();
  EXPECT_EQ(shown, (std::vector<std::string>{"Step", "Please wait", "Step", "Add airspace",
                                             "Please wait"}));
  EXPECT_EQ(sink.Messages().size(), 2u);
}

TEST(BuildWorker, PromptAnswersReachTheBuildAsTheirEventIndex) {
  enum class Prompt { Cd, Missing };
  struct Case {
    const char* name;
    Prompt prompt;
    int button;
    int answer;
  };
  const Case cases[] = {
      {"CdAbort", Prompt::Cd, ui::kIdAbort, kPromptAbort},
      {"CdRetry", Prompt::Cd, ui::kIdRetry, kPromptRetry},
      {"CdIgnore", Prompt::Cd, ui::kIdIgnore, kPromptIgnore},
      {"CdBoxNotShown", Prompt::Cd, 0, kPromptAbort},
      {"MissingOk", Prompt::Missing, ui::kIdOk, kPromptIgnore},
      {"MissingCancel", Prompt::Missing, ui::kIdCancel, kPromptAbort},
      {"MissingBoxNotShown", Prompt::Missing, 0, kPromptAbort},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSink sink;
    int answer = -1;
    bool abortLeftSet = true;
    CBuildWorker worker(sink, [&](CBuildWorker& w, CAreaList&, win::AutoResetEvent& abort) {
      answer = c.prompt == Prompt::Cd ? w.WaitInsertCd("Alps", "DISK1") : w.WaitAreaMissing("Alps");
      // An abort answer is taken by the wait itself.
      abortLeftSet = abort.Wait(0);
      return int(IDS_BUILD_READY);
    });
    sink.Answer({c.button});
    ASSERT_TRUE(worker.StartBuild(CAreaList()));
    size_t next = 0;
    ASSERT_TRUE(RunDialog(worker, sink, next));
    ASSERT_TRUE(EventuallyIdle(worker));
    EXPECT_EQ(answer, c.answer);
    EXPECT_FALSE(abortLeftSet);
    const auto boxes = sink.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    if (c.prompt == Prompt::Cd) {
      EXPECT_EQ(boxes[0].text,
                "Insert the CD DISK1 with the scenery area\n>> Alps << in some CD drive.\n\n"
                "If the CD is not available press Ignore or Abort.");
      EXPECT_EQ(boxes[0].style, ui::kMbAbortRetryIgnore | ui::kMbIconQuestion);
    } else {
      EXPECT_EQ(boxes[0].text,
                "The scenery area >> Alps << is not available.\n\nIgnore the error with OK or "
                "abort the creation process with Cancel.");
      EXPECT_EQ(boxes[0].style, ui::kMbOkCancel | ui::kMbIconQuestion);
    }
  }
}

TEST(BuildWorker, RetryAsksAgainUntilTheDiscIsSkipped) {
  RecordingSink sink;
  std::vector<int> answers;
  CBuildWorker worker(sink, [&](CBuildWorker& w, CAreaList&, win::AutoResetEvent&) {
    int answer;
    do {
      answer = w.WaitInsertCd("Alps", "DISK1");
      answers.push_back(answer);
    } while (answer == kPromptRetry);
    return int(IDS_BUILD_READY);
  });
  sink.Answer({ui::kIdRetry, ui::kIdRetry, ui::kIdIgnore});
  ASSERT_TRUE(worker.StartBuild(CAreaList()));
  size_t next = 0;
  ASSERT_TRUE(RunDialog(worker, sink, next));
  ASSERT_TRUE(EventuallyIdle(worker));
  EXPECT_EQ(answers, (std::vector<int>{kPromptRetry, kPromptRetry, kPromptIgnore}));
  EXPECT_EQ(sink.Boxes().size(), 3u);
}

// A long step that keeps posting signs of life until the build is aborted.
int LongStep(CBuildWorker& worker, CAreaList&, win::AutoResetEvent& abort) {
  for (;;) {
    worker.PostHeartbeat();
    if (abort.Wait(1)) return IDS_BUILD_ABORTED;
  }
}

// Says whether the abort event was already set when the build began.
int AbortSeenAtStart(CBuildWorker&, CAreaList&, win::AutoResetEvent& abort) {
  return abort.Wait(0) ? IDS_BUILD_ABORTED : IDS_BUILD_READY;
}

TEST(BuildWorker, AbortDuringALongStepEndsWithAbortedThenTheCreateCaption) {
  RecordingSink sink;
  bool secondBuild = false;
  CBuildWorker worker(sink, [&](CBuildWorker& w, CAreaList& a, win::AutoResetEvent& abort) {
    return secondBuild ? AbortSeenAtStart(w, a, abort) : LongStep(w, a, abort);
  });
  EXPECT_FALSE(worker.AbortBuild());  // nothing runs yet: nothing to abort, nothing left set

  ASSERT_TRUE(worker.StartBuild(CAreaList()));
  ASSERT_TRUE(sink.WaitFor(4));  // a few heartbeats: the step is running
  EXPECT_TRUE(worker.IsBuilding());
  EXPECT_TRUE(worker.AbortBuild());
  EXPECT_FALSE(worker.IsBuilding());
  EXPECT_FALSE(worker.AbortBuild());
  auto messages = sink.Messages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages[messages.size() - 2], Done(IDS_BUILD_ABORTED));
  EXPECT_EQ(messages.back(), kEnded);

  // The abort does not outlive its build.
  secondBuild = true;
  size_t next = messages.size();
  ASSERT_TRUE(worker.StartBuild(CAreaList()));
  ASSERT_TRUE(RunDialog(worker, sink, next));
  messages = sink.Messages();
  EXPECT_EQ(messages[messages.size() - 2], Done(IDS_BUILD_READY));
}

TEST(BuildWorker, BuildsItsOwnCopyAndRefusesASecondStartWhileRunning) {
  RecordingSink sink;
  std::promise<void> gate;
  std::shared_future<void> opened = gate.get_future().share();
  std::vector<std::string> built;
  CBuildWorker worker(sink, [&](CBuildWorker&, CAreaList& areas, win::AutoResetEvent&) {
    opened.wait();
    for (const auto& e : areas.m_entries) built.push_back(e.title);
    return int(IDS_BUILD_READY);
  });
  CAreaList list = ListOf({"Alps", "Lakes"});
  ASSERT_TRUE(worker.StartBuild(list));
  list.m_entries.clear();
  EXPECT_FALSE(worker.StartBuild(ListOf({"Other"})));
  gate.set_value();
  size_t next = 0;
  ASSERT_TRUE(RunDialog(worker, sink, next));
  ASSERT_TRUE(EventuallyIdle(worker));
  EXPECT_EQ(built, (std::vector<std::string>{"Alps", "Lakes"}));

  // A prompt message that arrives after its build ended has nobody to answer.
  worker.AskInsertCd();
  worker.AskAreaMissing();
  EXPECT_TRUE(sink.Boxes().empty());
}

TEST(BuildWorker, ExceptionsInTheBuildBecomeFailureResults) {
  struct Case {
    const char* name;
    std::function<void()> fail;
    int result;
  };
  const Case cases[] = {
      {"OutOfMemory", [] { throw std::bad_alloc(); }, IDS_BUILD_OUT_OF_MEMORY},
      {"OtherError", [] { throw std::runtime_error("x"); }, IDS_BUILD_ABORTED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSink sink;
    CBuildWorker worker(sink, [&](CBuildWorker&, CAreaList&, win::AutoResetEvent&) -> int {
      c.fail();
      return IDS_BUILD_READY;
    });
    ASSERT_TRUE(worker.StartBuild(CAreaList()));
    size_t next = 0;
    ASSERT_TRUE(RunDialog(worker, sink, next));
    const auto messages = sink.Messages();
    EXPECT_EQ(messages[messages.size() - 2], Done(c.result));
  }
}

class UnstartableWorker : public CBuildWorker {
 public:
  using CBuildWorker::CBuildWorker;

 protected:
  std::thread LaunchThread(std::function<void()>) override {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }
};

TEST(BuildWorker, ThreadThatCannotStartIsReportedAsAFailedBuild) {
  RecordingSink sink;
  bool ran = false;
  UnstartableWorker worker(sink, [&](CBuildWorker&, CAreaList&, win::AutoResetEvent&) {
    ran = true;
    return int(IDS_BUILD_READY);
  });
  EXPECT_FALSE(worker.StartBuild(CAreaList()));
  EXPECT_FALSE(worker.IsBuilding());
  EXPECT_FALSE(ran);
  EXPECT_EQ(sink.Messages(), std::vector<Message>{Done(IDS_BUILD_OUT_OF_MEMORY)});
}

TEST(BuildWorker, DestroyingTheWorkerAbortsTheBuildAndWaitsForIt) {
  RecordingSink sink;
  std::atomic<bool> stepEnded{false};
  {
    CBuildWorker worker(sink, [&](CBuildWorker& w, CAreaList& a, win::AutoResetEvent& abort) {
      const int result = LongStep(w, a, abort);
      stepEnded = true;
      return result;
    });
    ASSERT_TRUE(worker.StartBuild(CAreaList()));
    ASSERT_TRUE(sink.WaitFor(3));
  }
  EXPECT_TRUE(stepEnded);
  const auto messages = sink.Messages();
  EXPECT_EQ(messages[messages.size() - 2], Done(IDS_BUILD_ABORTED));
}

TEST(BuildWorker, PromptWaitEndsWhenTheBuildIsAbortedFromOutside) {
  RecordingSink sink;
  int answer = -1;
  CBuildWorker worker(sink, [&](CBuildWorker& w, CAreaList&, win::AutoResetEvent&) {
    answer = w.WaitAreaMissing("Alps");
    return int(IDS_BUILD_ABORTED);
  });
  ASSERT_TRUE(worker.StartBuild(CAreaList()));
  // Wait for the prompt message, then close the dialog instead of answering.
  for (size_t i = 0;; ++i) {
    const auto m = sink.WaitFor(i);
    ASSERT_TRUE(m);
    if (m->code == WM_BUILD_ASK_MISSING) break;
  }
  EXPECT_TRUE(worker.AbortBuild());
  EXPECT_EQ(answer, kPromptAbort);
}

}  // namespace
