// File: imaging/control/scanner.h
//
// Scanner: acquiring pictures from a SANE device.  Open once, optionally
// let the user pick the source, then Acquire(); the picture arrives by the
// control's ImageAcquired(handle) signal.
//
//   Scanner& sc = view.Scanner();
//   if (sc.Open(window, 1, 0, "Ruvex", "", "", "") && sc.Acquire(nullptr)) ...
//
// SANE failures become ErrorCode values: 8 the SANE library cannot start,
// 102 not open / device cannot be opened, 103 no source, 104 device busy,
// 105 device or I/O error, 106 a request the device does not take, 107
// cover open, 108 paper jam, 12 no paper in the feeder, 13 nothing to
// read, 110 bad resolution, 3 out of memory, 19 access denied.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace imaging::control {

class Morvik;

class Scanner {
 public:
  explicit Scanner(Morvik* owner) : owner_(owner) {}
  ~Scanner();
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  // Open() starts SANE.  `host` parents the dialogs; the two numbers and
  // the three strings after the product name are kept for the callers'
  // sake and have no effect.  A second Open() succeeds without restarting.
  bool Open(QWidget* host, int version, int flags, const QString& product, const QString& manufacturer = {},
            const QString& family = {}, const QString& language = {});
  bool IsOpen() const { return open_; }
  QString ProductName() const { return product_; }
  void Close();

  // Sources() names the devices SANE sees (102 when not open, 103 when
  // there is none).
  QStringList Sources();
  // SelectSource() lets the user choose a device from a list; false when
  // cancelled (ErrorCode 0) or on failure.
  bool SelectSource();
  QString Source() const { return source_; }
  void SetSource(const QString& name) { source_ = name; }
  // ShowUI: ask for mode and resolution before each scan.
  bool ShowUI() const { return show_ui_; }
  void SetShowUI(bool on) { show_ui_ = on; }
  // Resolution in dots per inch to ask the device for; 0 = its default.
  int Resolution() const { return resolution_; }
  void SetResolution(int dpi) { resolution_ = dpi; }

  // Acquire() scans one picture from Source() (the first device when none
  // is chosen) and raises ImageAcquired.  `busy_after` receives 0 (the
  // scan is over when Acquire() returns).
  bool Acquire(int* busy_after);

  // Tests replace the source list dialog: it gets the names and returns
  // the chosen index, or -1 for a cancel.
  using Chooser = std::function<int(const QStringList&)>;
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }

 private:
  Morvik* owner_;
  QWidget* host_ = nullptr;
  bool open_ = false;
  QString product_;
  QString source_;
  bool show_ui_ = false;
  int resolution_ = 0;
  Chooser chooser_;
};

}  // namespace imaging::control
