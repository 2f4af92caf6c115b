#include "support/headless_platform.h"

#include <algorithm>

#include "platform/call_guarded.h"

namespace r742 {

HeadlessPlatform::~HeadlessPlatform() {
  for (auto& w : windows_) Destroy(w.get());
}

int HeadlessPlatform::RunModal(CDialog& dialog) {
  modalRuns_.push_back(dialog.IDD());
  const bool nested =
      !running_.empty() || std::any_of(windows_.begin(), windows_.end(), [](auto& w) { return !w->Ended(); });
  if (quitRequested_ && nested) return kIdCancel;  // the program is ending
  HeadlessWindow window(*this, dialog);
  running_.push_back(&window);
  dialog.AttachWindow(&window);
  // As on the real backends, a dialog whose initialisation throws is not shown.
  if (!CallGuarded("OnInitDialog", [&] { dialog.InitWindow(); })) window.EndDialog(kIdCancel);
  if (auto it = scripts_.find(dialog.IDD()); it != scripts_.end() && !window.Ended()) {
    ModalScript script = std::move(it->second);
    scripts_.erase(it);
    script(window);
  }
  window.EndDialog(kIdCancel);  // a run still open after its script
  running_.pop_back();
  Destroy(&window);
  return window.result_;
}

void HeadlessPlatform::RequestQuit() {
  quitRequested_ = true;
  ContinueQuit();
}

void HeadlessPlatform::ContinueQuit() {
  if (!quitRequested_) return;
  auto live = std::find_if(windows_.begin(), windows_.end(), [](auto& w) { return !w->Ended(); });
  HeadlessWindow* outermost = live != windows_.end() ? live->get() : running_.empty() ? nullptr : running_.front();
  if (!outermost || fileDialogsOpen_ > 0) return;  // cancelled once the file dialog's handler is over
  for (HeadlessWindow* w : running_)
    if (w != outermost) w->EndDialog(kIdCancel);
  if (running_.size() > (running_.empty() || running_.front() != outermost ? 0u : 1u)) return;  // still unwinding
  quitRequested_ = false;
  if (!outermost->Ended()) outermost->dialog_.DispatchCancel();
  ReapEnded();
}

HeadlessWindow& HeadlessPlatform::Open(CDialog& dialog) {
  HeadlessWindow& window = *windows_.emplace_back(std::make_unique<HeadlessWindow>(*this, dialog));
  dialog.AttachWindow(&window);
  dialog.InitWindow();
  ReapEnded();
  return window;
}

void HeadlessPlatform::Destroy(HeadlessWindow* window) {
  if (window->destroyed_) return;
  window->dialog_.DestroyWindow();
  window->destroyed_ = true;
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });  // OnDestroy's too
}

void HeadlessPlatform::ReapEnded() {
  for (auto& w : windows_)
    if (w->Ended()) Destroy(w.get());
  ContinueQuit();
}

std::optional<std::uint64_t> HeadlessPlatform::NextTimerDue() const {
  if (timers_.empty()) return std::nullopt;
  return std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) { return a.due < b.due; })->due;
}

void HeadlessPlatform::Advance(std::uint64_t ms) {
  ContinueQuit();
  const std::uint64_t target = now_ + ms;
  for (;;) {  // the next tick: the earliest due, then the earliest set
    auto next = std::min_element(timers_.begin(), timers_.end(), [](auto& a, auto& b) {
      return std::pair(a.due, a.order) < std::pair(b.due, b.order);
    });
    if (next == timers_.end() || next->due > target) break;
    now_ = next->due;
    next->due = now_ + next->period;
    next->order = ++order_;
    if (!next->window->Ended()) next->window->dialog_.DispatchTimer(next->id);  // an ended run's window ticks no more
    ReapEnded();
  }
  now_ = target;
}

bool HeadlessPlatform::AdvanceUntil(const std::function<bool()>& done, std::uint64_t limitMs) {
  for (const std::uint64_t end = now_ + limitMs; !done(); Advance(1))
    if (now_ >= end) return false;
  return true;
}

}  // namespace r742
