#pragma once

// Runs one database build at a time on a thread of its own. The build reaches the window only
// through messages posted to the sink and, for its two prompts, through three events the
// window sets when the user answers.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuildUiSink.h"
#include "platform/win/Sync.h"

class CBuildWorker;
class CSceneryDatabase;
struct BuildEnvironment;

// The build itself, run on the build thread with the worker's own copy of the list. Returns the
// id of the result text. It polls `abortEvent` with a zero time-out in long steps.
using BuildStep =
    std::function<int(CBuildWorker& worker, CAreaList& areas, win::AutoResetEvent& abortEvent)>;

// Answers of the two prompt waits: the index of the event that ended the wait.
enum PromptAnswer : int { kPromptAbort = 0, kPromptRetry = 1, kPromptIgnore = 2 };

class CBuildWorker {
 public:
  CBuildWorker(IBuildUiSink& sink, BuildStep step);
  CBuildWorker(const CBuildWorker&) = delete;
  CBuildWorker& operator=(const CBuildWorker&) = delete;
  // Aborts a running build and waits for its thread.
  virtual ~CBuildWorker();

  // Window side.
  // Copies the list and starts the build thread. False when a build is still running, or when
  // the thread could not be started; the latter is also reported to the window as a failed
  // build, so the user is told.
  bool StartBuild(const CAreaList& areas);
  // False (and nothing done) when no build runs; else aborts it and waits for its thread.
  bool AbortBuild();
  // Also reaps the thread of a build that has ended.
  bool IsBuilding();
  // A text the build set is given once; in between "Please wait" and the last text take turns,
  // so the display changes while a long step posts bare progress messages.
  void GetProgressText(std::string& out);
  // Answer the prompt of WM_BUILD_ASK_CD / WM_BUILD_ASK_MISSING with the user's choice.
  void AskInsertCd();
  void AskAreaMissing();

  // Build side.
  void SetProgressText(const char* text);
  void SetProgressTextId(int id);
  // A bare progress message: a sign of life from a long step.
  void PostHeartbeat();
  // Ask for the disc `label` that holds area `title`; blocks until answered.
  int WaitInsertCd(const std::string& title, const std::string& label);
  // Tell that area `title` was not found; blocks until answered (never kPromptRetry).
  int WaitAreaMissing(const std::string& title);

  // The database build (DatabaseBuild.cpp): every active area of `areas`, the program folder's
  // text files and the passes below, saved over the previous database only when it all worked.
  // Returns the id of the result text.
  int BuildDatabase(CAreaList& areas, win::AutoResetEvent& abortEvent, const BuildEnvironment& env);
  // The passes over the finished database (BuildPostPasses.cpp); false when the abort event was
  // seen.
  static bool CheckExcludeAreas(CSceneryDatabase& db, win::AutoResetEvent& abortEvent, int simVer);
  static bool CrossCheckWaypoints(CSceneryDatabase& db, win::AutoResetEvent& abortEvent);
  static bool BindIlsToRunway(CSceneryDatabase& db, win::AutoResetEvent& abortEvent);
  static bool SetAirportData(CSceneryDatabase& db, win::AutoResetEvent& abortEvent,
                             const std::string& icaoPath);
  static bool BindNavaidsToIntersections(CSceneryDatabase& db, win::AutoResetEvent& abortEvent);

 protected:
  // Starts the build thread; throws std::system_error when it cannot.
  virtual std::thread LaunchThread(std::function<void()> body);

 private:
  void BuildThreadProc();
  int WaitForAnswer(uint32_t message);
  void Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

  IBuildUiSink& m_sink;
  BuildStep m_step;

  std::mutex m_textLock;  // guards the progress and prompt texts
  bool m_textPending = false;
  std::string m_progressText;
  // Written by the build thread before it posts a prompt and read by the window while the
  // build waits for the answer.
  std::string m_promptTitle;
  std::string m_promptLabel;

  std::thread m_thread;  // window thread only
  std::atomic<bool> m_threadDone{false};
  win::AutoResetEvent m_abortEvent;
  win::AutoResetEvent m_retryEvent;
  win::AutoResetEvent m_ignoreEvent;
  CAreaList m_areas;  // the build's own copy
};
