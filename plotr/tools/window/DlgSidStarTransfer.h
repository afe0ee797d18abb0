#pragma once

// "Download SID/STARs" and "Upload SID/STARs": thin windows over CSidStarTransfer. The worker's
// calls arrive from its thread and are queued to the window; its end message comes as a private
// message after everything it queued.

#include <wx/dialog.h>

#include <memory>

#include "platform/ui/WxMessages.h"
#include "plotr/tools/SidStarTransfer.h"

class wxButton;
class wxGauge;
class wxListCtrl;
class wxStaticText;

class CDlgSidStarTransfer : public wxDialog, private ISidStarTransferView {
 public:
  enum : int {
    kIdDownloadProgress = 8247, kIdDownloadList = 8248, kIdDownloadStatus = 8249,
    kIdUploadList = 8250, kIdUploadStatus = 8251,
  };
  CDlgSidStarTransfer(wxWindow* parent, CSidStarTransfer::Kind kind, CSidStarStore& store,
                      const SidStarServerOptions& options);
  ~CDlgSidStarTransfer() override;

  wxListCtrl* GetList() const { return m_list; }
  wxStaticText* GetStatus() const { return m_status; }
  bool IsTransferring() const { return m_transfer->Running(); }

 private:
  // On the user-interface thread at once, from the worker's thread queued in order.
  void OnUiThread(std::function<void()> call);

  void SetStatus(const std::string& text) override;
  void AddRow(const std::string& id, const std::string& name) override;
  void RemoveRow(int row) override;
  void SelectFirstRow() override;
  void SetProgress(int position, int range) override;
  void EnableStart(bool enable) override;
  void EnableExit(bool enable) override;
  void EndDialog() override;
  int MessageBox(const std::string& text, uint32_t style) override;
  std::vector<bool> CheckedRows() override;

  void OnStart(wxCommandEvent&);
  void OnExit(wxCommandEvent&);
  void OnClose(wxCloseEvent& event);
  void OnAppMessage(wxThreadEvent& event);
  // The upload rows' catalogue indexes as item data.
  void NumberRows();

  CSidStarTransfer::Kind m_kind;
  ui::WxMessageTarget m_target;
  std::unique_ptr<CSidStarTransfer> m_transfer;
  wxListCtrl* m_list = nullptr;
  wxStaticText* m_status = nullptr;
  wxGauge* m_progress = nullptr;
  wxButton* m_start = nullptr;
  wxButton* m_exit = nullptr;
};

// "Download SID/STARs" (template 205).
class CDlgDownloadSidStar : public CDlgSidStarTransfer {
 public:
  CDlgDownloadSidStar(wxWindow* parent, CSidStarStore& store, const SidStarServerOptions& options)
      : CDlgSidStarTransfer(parent, CSidStarTransfer::kDownload, store, options) {}
};

// "Upload SID/STARs" (template 206).
class CDlgUploadSidStar : public CDlgSidStarTransfer {
 public:
  CDlgUploadSidStar(wxWindow* parent, CSidStarStore& store, const SidStarServerOptions& options)
      : CDlgSidStarTransfer(parent, CSidStarTransfer::kUpload, store, options) {}
};
