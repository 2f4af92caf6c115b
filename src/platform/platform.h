// The backend that creates windows and runs them modally.
#pragma once

namespace r742 {

class CDialog;

class IPlatform {
 public:
  virtual ~IPlatform() = default;
  // Creates the dialog's window from its template, runs OnInitDialog, runs
  // the window modally until EndDialog, destroys it and returns the result.
  virtual int RunModal(CDialog& dialog) = 0;
  // Ends the program's window as its close box does, for a request from
  // outside (a signal, the session ending), made between handlers: every
  // nested run and message box ends (kIdCancel, not the dialog's to refuse),
  // then, back in the outermost window's own loop, that window's dialog gets
  // OnCancel. A run asked for meanwhile inside another ends at once.
  virtual void RequestQuit() = 0;
};

// The backend in use for this process (set by main() or by a test).
IPlatform* CurrentPlatform();

// Installs a backend for the lifetime of this object, restoring the previous one.
class PlatformScope {
 public:
  explicit PlatformScope(IPlatform& platform);
  ~PlatformScope();
  PlatformScope(const PlatformScope&) = delete;
  PlatformScope& operator=(const PlatformScope&) = delete;

 private:
  IPlatform* previous_;
};

}  // namespace r742
