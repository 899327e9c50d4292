// File: viewer_host/host_window.h
//
// The host program's window: the control's widget on the left, its
// property panel on the right, the event log below, and buttons for the
// control's methods without arguments.  Every event and notice is also
// printed on standard output.
//
//   host::HostWindow w(&loader);
//   w.show();
#pragma once

#include <QMainWindow>

#include "viewer_common/hosting/interfaces.h"

class QPlainTextEdit;

namespace host {

class ControlLoader;
class EventLog;
class PropertyPanel;

class HostWindow : public QMainWindow {
 public:
  explicit HostWindow(ControlLoader* loader, QWidget* parent = nullptr);
  ~HostWindow() override;

  PropertyPanel* panel() const { return panel_; }
  // CallMethod(): invokes a method by name with the arguments given as
  // text; returns the status and puts the result text in *result.
  hosting::HRESULT CallMethod(const QString& name, const QStringList& args, QString* result);
  void Log(const std::string& line);

 private:
  ControlLoader* loader_;
  PropertyPanel* panel_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  hosting::ComPtr<EventLog> sink_;
};

}  // namespace host
