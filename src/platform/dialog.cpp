#include "platform/dialog.h"

#include "platform/platform.h"

namespace r742 {

std::string CDlgItem::GetWindowText(std::size_t maxChars) const {
  if (!window_) return {};
  std::string text = window_->GetText(id_);
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}
void CDlgItem::SetWindowText(std::string_view text) const {
  if (window_) window_->SetText(id_, text);
}
void CDlgItem::EnableWindow(bool enabled) const {
  if (window_) window_->Enable(id_, enabled);
}
bool CDlgItem::IsWindowEnabled() const { return window_ && window_->IsEnabled(id_); }
int CDlgItem::GetCheck() const { return window_ ? window_->GetCheck(id_) : 0; }
void CDlgItem::SetCheck(int state) const {
  if (window_) window_->SetCheck(id_, state);
}
void CDlgItem::ResetContent() const {
  if (window_) window_->ResetContent(id_);
}
int CDlgItem::AddString(std::string_view text) const { return window_ ? window_->AddString(id_, text) : kLbErr; }
int CDlgItem::InsertString(int row, std::string_view text) const {
  return window_ ? window_->InsertString(id_, row, text) : kLbErr;
}
int CDlgItem::DeleteString(int row) const { return window_ ? window_->DeleteString(id_, row) : kLbErr; }
int CDlgItem::GetCount() const { return window_ ? window_->GetCount(id_) : 0; }
std::string CDlgItem::GetText(int row) const { return window_ ? window_->GetRowText(id_, row) : std::string(); }
int CDlgItem::GetCurSel() const { return window_ ? window_->GetCurSel(id_) : kLbErr; }
int CDlgItem::SetCurSel(int row) const { return window_ ? window_->SetCurSel(id_, row) : kLbErr; }
int CDlgItem::FindString(int start, std::string_view prefix) const {
  return window_ ? window_->FindStringPrefix(id_, start, prefix) : kLbErr;
}
void CDlgItem::SetPos(int percent) const {
  if (window_) window_->SetProgress(id_, percent);
}
int CDlgItem::GetPos() const { return window_ ? window_->GetProgress(id_) : 0; }

CDialog::CDialog(const DialogTemplate& tmpl) : template_(tmpl) {}
CDialog::~CDialog() = default;

int CDialog::DoModal() {
  IPlatform* platform = CurrentPlatform();
  if (!platform || window_) return kIdCancel;
  return platform->RunModal(*this);
}

void CDialog::EndDialog(int result) {
  if (window_) window_->EndDialog(result);
}

int CDialog::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  return window_ ? window_->MessageBox(text, caption, flags) : kIdCancel;
}

unsigned CDialog::SetTimer(unsigned timerId, unsigned periodMs) {
  return window_ ? window_->SetTimer(timerId, periodMs) : 0;
}

bool CDialog::KillTimer(unsigned timerId) { return window_ && window_->KillTimer(timerId); }

bool CDialog::UpdateData(bool save) {
  if (!window_) return false;
  DoDataExchange(save);
  return true;
}

void CDialog::AttachWindow(IWindow* window) { window_ = window; }

bool CDialog::InitWindow() { return OnInitDialog(); }

void CDialog::DestroyWindow() {
  if (!window_) return;
  OnDestroy();
  window_ = nullptr;
}

void CDialog::Dispatch(int controlId, Notify code) {
  for (const auto& entry : messageMap_) {
    if (entry.controlId == controlId && entry.code == code) {
      entry.handler();
      return;
    }
  }
  // The framework's own handling of the two standard buttons.
  if (code == Notify::Clicked && controlId == kIdOk) OnOK();
  if (code == Notify::Clicked && controlId == kIdCancel) OnCancel();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(kIdOk);
}

void CDialog::OnCancel() { EndDialog(kIdCancel); }

void CDialog::OnNotify(int controlId, Notify code, std::function<void()> handler) {
  messageMap_.push_back({controlId, code, std::move(handler)});
}

}  // namespace r742
