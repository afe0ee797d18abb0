#include "basemaker/app/BuildWorker.h"

#include <new>
#include <system_error>

#include "basemaker/app/BuilderStrings.h"

CBuildWorker::CBuildWorker(IBuildUiSink& sink, BuildStep step)
    : m_sink(sink), m_step(std::move(step)) {}

CBuildWorker::~CBuildWorker() { AbortBuild(); }

std::thread CBuildWorker::LaunchThread(std::function<void()> body) {
  return std::thread(std::move(body));
}

bool CBuildWorker::StartBuild(const CAreaList& areas) {
  // The running build works on m_areas; replacing it under the thread would corrupt the build.
  if (IsBuilding()) return false;
  m_areas = areas;
  // An answer that arrived after the last build stopped waiting must not answer this build's
  // first prompt.
  m_abortEvent.Reset();
  m_retryEvent.Reset();
  m_ignoreEvent.Reset();
  m_threadDone = false;
  try {
    m_thread = LaunchThread([this] { BuildThreadProc(); });
  } catch (const std::system_error&) {
    // Without this the Create button would simply do nothing.
    Post(WM_BUILD_DONE, IDS_BUILD_OUT_OF_MEMORY, ui::kMbIconInformation);
    return false;
  }
  return true;
}

bool CBuildWorker::AbortBuild() {
  if (!IsBuilding()) return false;
  m_abortEvent.Set();
  m_thread.join();
  m_abortEvent.Reset();
  m_threadDone = false;
  return true;
}

bool CBuildWorker::IsBuilding() {
  if (!m_thread.joinable()) return false;
  if (!m_threadDone) return true;
  m_thread.join();
  m_threadDone = false;
  return false;
}

void CBuildWorker::GetProgressText(std::string& out) {
  std::lock_guard lock(m_textLock);
  if (m_textPending) {
    out = m_progressText;
    m_textPending = false;
  } else {
    out = LoadBuilderString(IDS_PLEASE_WAIT);
    m_textPending = true;
  }
}

void CBuildWorker::AskInsertCd() {
  // A prompt message still queued when its build already ended has nobody to answer; setting
  // an event now would only linger.
  if (!IsBuilding()) return;
  std::string text;
  {
    std::lock_guard lock(m_textLock);
    text = FormatBuilderString(IDS_INSERT_CD, {m_promptLabel, m_promptTitle});
  }
  switch (m_sink.ShowMessageBox(text, ui::kMbAbortRetryIgnore | ui::kMbIconQuestion)) {
    case ui::kIdRetry: m_retryEvent.Set(); break;
    case ui::kIdIgnore: m_ignoreEvent.Set(); break;
    // Abort, and a box that could not be shown: the build must not wait for ever.
    default: m_abortEvent.Set(); break;
  }
}

void CBuildWorker::AskAreaMissing() {
  if (!IsBuilding()) return;
  std::string text;
  {
    std::lock_guard lock(m_textLock);
    text = FormatBuilderString(IDS_AREA_MISSING, {m_promptTitle});
  }
  if (m_sink.ShowMessageBox(text, ui::kMbOkCancel | ui::kMbIconQuestion) == ui::kIdOk) {
    m_ignoreEvent.Set();
  } else {
    m_abortEvent.Set();
  }
}

void CBuildWorker::SetProgressText(const char* text) {
  {
    std::lock_guard lock(m_textLock);
    m_textPending = true;
    m_progressText = text != nullptr ? text : "";
  }
  Post(WM_BUILD_PROGRESS);
}

void CBuildWorker::SetProgressTextId(int id) {
  if (const char* text = LoadBuilderString(id)) SetProgressText(text);
}

void CBuildWorker::PostHeartbeat() { Post(WM_BUILD_PROGRESS); }

int CBuildWorker::WaitInsertCd(const std::string& title, const std::string& label) {
  {
    std::lock_guard lock(m_textLock);
    m_promptTitle = title;
    m_promptLabel = label;
  }
  return WaitForAnswer(WM_BUILD_ASK_CD);
}

int CBuildWorker::WaitAreaMissing(const std::string& title) {
  {
    std::lock_guard lock(m_textLock);
    m_promptTitle = title;
    m_promptLabel.clear();
  }
  return WaitForAnswer(WM_BUILD_ASK_MISSING);
}

int CBuildWorker::WaitForAnswer(uint32_t message) {
  Post(message);
  // Order matters: the index is the answer, and abort wins when several are set.
  win::AutoResetEvent* const waitTable[] = {&m_abortEvent, &m_retryEvent, &m_ignoreEvent};
  return win::WaitAny(waitTable, win::kInfinite);
}

void CBuildWorker::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  m_sink.PostBuildMessage(message, wParam, lParam);
}

void CBuildWorker::BuildThreadProc() {
  Post(WM_BUILD_STATE, IDS_ABORT_CREATE);
  SetProgressText("");
  int result;
  try {
    result = m_step(*this, m_areas, m_abortEvent);
  } catch (const std::bad_alloc&) {
    result = IDS_BUILD_OUT_OF_MEMORY;
  } catch (...) {
    // Nothing has been saved; an escaped exception would otherwise end the whole program.
    result = IDS_BUILD_ABORTED;
  }
  SetProgressText("");
  Post(WM_BUILD_DONE, static_cast<uintptr_t>(result), ui::kMbIconInformation);
  Post(WM_BUILD_STATE, IDS_CREATE_DATABASE);
  m_threadDone = true;
}
