#include "support/headless_platform.h"

#include <algorithm>

#include "platform/call_guarded.h"

namespace r742 {

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() {
  for (auto& w : windows_) Destroy(w.get());
}

int HeadlessPlatform::RunModal(CDialog& dialog) {
  modalRuns_.push_back(dialog.IDD());
  const bool nested =
      !running_.empty() || std::any_of(windows_.begin(), windows_.end(), [](auto& w) { return !w->Ended(); });
  if (quitRequested_ && nested) return kIdCancel;  // the program is ending
  auto owned = std::make_unique<HeadlessWindow>(*this, dialog);
  HeadlessWindow* window = owned.get();
  running_.push_back(window);
  dialog.AttachWindow(window);
  // As on the real backends, a dialog whose initialisation throws is not shown.
  if (!CallGuarded("OnInitDialog", [&] { dialog.InitWindow(); })) window->EndDialog(kIdCancel);
  if (!window->Ended()) {
    auto it = scripts_.find(dialog.IDD());
    if (it != scripts_.end()) {
      ModalScript script = std::move(it->second);
      scripts_.erase(it);
      script(*window);
    }
  }
  if (!window->Ended()) window->EndDialog(kIdCancel);
  running_.pop_back();
  const int result = window->Result();
  Destroy(window);
  return result;
}

void HeadlessPlatform::RequestQuit() {
  quitRequested_ = true;
  ContinueQuit();
}

void HeadlessPlatform::ContinueQuit() {
  if (!quitRequested_) return;
  HeadlessWindow* outermost = nullptr;
  for (auto& w : windows_)
    if (!outermost && !w->Ended()) outermost = w.get();
  if (!outermost && !running_.empty()) outermost = running_.front();
  if (!outermost) return;
  for (HeadlessWindow* w : running_)
    if (w != outermost) w->EndDialog(kIdCancel);
  if (running_.size() > (running_.empty() || running_.front() != outermost ? 0u : 1u)) return;  // still unwinding
  quitRequested_ = false;
  if (!outermost->Ended()) outermost->dialog_.DispatchCancel();
  ReapEnded();
}

HeadlessWindow& HeadlessPlatform::Open(CDialog& dialog) {
  windows_.push_back(std::make_unique<HeadlessWindow>(*this, dialog));
  HeadlessWindow* window = windows_.back().get();
  dialog.AttachWindow(window);
  dialog.InitWindow();
  ReapEnded();
  return *window;
}

void HeadlessPlatform::ScriptModal(int templateId, ModalScript script) {
  scripts_.emplace(templateId, std::move(script));
}

void HeadlessPlatform::RemoveTimers(HeadlessWindow* window) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.window == window; }),
                timers_.end());
}

void HeadlessPlatform::Destroy(HeadlessWindow* window) {
  if (window->destroyed_) return;
  RemoveTimers(window);
  window->dialog_.DestroyWindow();
  window->destroyed_ = true;
  RemoveTimers(window);  // OnDestroy may not set timers on a dying window, but be sure
}

void HeadlessPlatform::ReapEnded() {
  for (auto& w : windows_)
    if (w->Ended() && !w->Destroyed()) Destroy(w.get());
  ContinueQuit();
}

std::optional<std::uint64_t> HeadlessPlatform::NextTimerDue() const {
  std::optional<std::uint64_t> next;
  for (const Timer& t : timers_)
    if (!next || t.due < *next) next = t.due;
  return next;
}

void HeadlessPlatform::Advance(std::uint64_t ms) {
  ContinueQuit();
  const std::uint64_t target = now_ + ms;
  for (;;) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->due <= target &&
          (next == timers_.end() || it->due < next->due || (it->due == next->due && it->order < next->order)))
        next = it;
    if (next == timers_.end()) break;
    now_ = next->due;
    next->due = now_ + next->period;
    next->order = ++order_;
    HeadlessWindow* window = next->window;
    const unsigned id = next->id;
    if (!window->Ended()) window->dialog_.DispatchTimer(id);  // an ended run's window ticks no more
    ReapEnded();
  }
  now_ = target;
}

bool HeadlessPlatform::AdvanceUntil(const std::function<bool()>& done, std::uint64_t limitMs) {
  const std::uint64_t end = now_ + limitMs;
  while (!done()) {
    if (now_ >= end) return false;
    Advance(1);
  }
  return true;
}

}  // namespace r742
