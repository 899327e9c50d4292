// File: viewer_host/script_runner.h
//
// The host's script mode: drives a loaded control from a text file, one
// command a line, in order, as a host program would.  The control's widget
// is the host's only window (a form holding just the control).
//
//   set Name=Value      put a property (the control converts the text)
//   call Name           call a method; call Name=a,b passes arguments
//   get Name            prints "get Name = value"
//   size W H            the control's client area in pixels
//   show                the window is shown and painted
//   wait MS             runs the event loop for MS milliseconds
//   grab PATH           saves the control's window as PNG
//
// Blank lines and lines starting with "#" are skipped.  Events print as
// they arrive, one line each: event Name(arg, "text", ...); property-change
// notices as "changed Name (dispid)"; set and call print their status
// ("set Name=Value -> 0", "call Name -> 0, result 1").  A line that cannot
// be carried out prints "error line N: ..." on the error stream; the run
// goes on and ends with status 1.
//
//   host::ScriptRunner runner(&loader, [](const std::string& l) { puts(l.c_str()); });
//   int status = runner.RunFile("show.txt");
#pragma once

#include <QStringList>
#include <functional>
#include <string>

#include "viewer_common/hosting/interfaces.h"

namespace host {

class ControlLoader;
class EventLog;

class ScriptRunner {
 public:
  using LineFn = std::function<void(const std::string&)>;
  // `out` receives every output line; `err` the error lines (stderr when empty).
  ScriptRunner(ControlLoader* loader, LineFn out, LineFn err = {});
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // RunFile(): 0 when every line ran, 1 when a line failed, 2 when the
  // file cannot be read.
  int RunFile(const QString& path);
  // RunLines(): the same for lines in memory.
  int RunLines(const QStringList& lines);
  // RunLine(): one command; false (with *error) when it cannot be carried out.
  bool RunLine(const QString& line, std::string* error);

 private:
  bool Set(const QString& arg, std::string* error);
  bool Call(const QString& arg, std::string* error);
  bool Get(const QString& arg, std::string* error);
  bool Size(const QStringList& words, std::string* error);
  bool Show(std::string* error);
  bool Wait(const QString& arg, std::string* error);
  bool Grab(const QString& arg, std::string* error);
  bool IdOf(const QString& name, hosting::DispId* id, std::string* error) const;

  ControlLoader* loader_;
  LineFn out_;
  LineFn err_;
  hosting::ComPtr<EventLog> sink_;
};

}  // namespace host
