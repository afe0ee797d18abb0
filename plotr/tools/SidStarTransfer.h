#pragma once

// The logic of the download and upload dialogs: connecting in the user-interface thread, the
// transfer in a worker thread, and the end of the transfer. The window layer implements
// ISidStarTransferView over its controls (the worker's calls arrive from its thread and must be
// posted to the window) and forwards the dialog's buttons and the end message here. The worker
// changes a copy of the catalogue, which is put in place when its end message is handled.

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/Messages.h"
#include "plotr/tools/SidStarServer.h"
#include "plotr/tools/SidStarStore.h"

namespace win { class Clock; }

// Posted once by a worker when it ends: wParam 1 finished, 0 failed or aborted.
inline constexpr uint32_t kWmAppTransferProgress = 0x8205;

// The dialogs' texts by string number (6107 to 6119, 32849), from the string table, to which
// the first call adds them; "" for another number.
std::string SidStarTransferText(int stringId);
// The module's version, compared with the server's.
inline constexpr char kSidStarModuleVersion[] = "4.70";
// Message 32849 when the server names a newer version of the same major number, else "".
std::string SidStarVersionMessage(const std::string& serverVersion, const std::string& ownVersion);

// Stamp ages on the clock: "older than 30 days" and "more than 48 hours ahead"; false for a
// stamp that is no valid date.
bool SidStarStampOlderThan30Days(const std::string& stamp, const win::Clock& clock);
bool SidStarStampBeyond48Hours(const std::string& stamp, const win::Clock& clock);

class ISidStarTransferView {
 public:
  virtual ~ISidStarTransferView() = default;
  virtual void SetStatus(const std::string& text) = 0;
  // The list: rows with the airport's identifier and name.
  virtual void AddRow(const std::string& id, const std::string& name) = 0;
  virtual void RemoveRow(int row) = 0;
  virtual void SelectFirstRow() = 0;
  virtual void SetProgress(int position, int range) = 0;
  virtual void EnableStart(bool enable) = 0;
  virtual void EnableExit(bool enable) = 0;
  virtual void EndDialog() = 0;
  // A message box (user-interface thread only).
  virtual int MessageBox(const std::string& text, uint32_t style) = 0;
  // The upload list's check boxes, read when the upload starts (user-interface thread).
  virtual std::vector<bool> CheckedRows() = 0;
};

class CSidStarTransfer {
 public:
  enum Kind { kDownload = 0, kUpload = 1 };

  // The end message goes to `target`; the dialog hands it to OnTransferMessage.
  CSidStarTransfer(Kind kind, CSidStarStore& store, ISidStarTransferView& view, ui::IMessageTarget& target,
                   SidStarServerOptions options);
  ~CSidStarTransfer();
  CSidStarTransfer(const CSidStarTransfer&) = delete;
  CSidStarTransfer& operator=(const CSidStarTransfer&) = delete;

  // Upload dialog start: the catalogue's changed airports as rows; their catalogue indexes.
  void OnInitDialog();
  // Start: connects and starts the worker.
  void OnOK();
  // Exit: aborts a running transfer (the dialog ends at its end message) or ends the dialog.
  void OnCancel();
  // The worker's end message.
  void OnTransferMessage(uintptr_t wParam);

  bool Running() const { return m_client != nullptr; }
  const std::vector<int>& RowAirports() const { return m_rowAirports; }

 private:
  struct Work;
  void DownloadThread(std::shared_ptr<Work> work);
  void UploadThread(std::shared_ptr<Work> work);

  Kind m_kind;
  CSidStarStore& m_store;
  ISidStarTransferView& m_view;
  ui::IMessageTarget& m_target;
  SidStarServerOptions m_options;
  std::unique_ptr<CSidStarServer> m_client;
  std::thread m_thread;
  std::shared_ptr<Work> m_work;
  bool m_cancelRequested = false;
  std::vector<int> m_rowAirports;  // the catalogue index of each list row
};
