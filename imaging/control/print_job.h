// File: imaging/control/print_job.h
//
// PrintJob: printing pictures through the platform's printers.  Printer
// settings live in the file "MvPrn.Mv" of a user-data folder; a document is
// a cycle of StartDoc(), StartPage(), PrintImage()..., EndPage(), EndDoc().
// Positions and sizes are in 0.1 mm from the top-left of the printable
// area.
//
//   PrintJob& pj = view.PrintJob();
//   pj.LoadSettings("/home/u/.local/share/Ruvel/");
//   if (!pj.CanPrepare() && !pj.PrintDialog(0x10000C)) return;
//   int w = 0, h = 0;
//   if (pj.StartDoc("Print Out") && pj.StartPage() && pj.PrintableArea(&w, &h))
//     pj.PrintImage(view.ImageHandle(), 0, 0, 2540, 1693);
//   pj.EndPage(); pj.EndDoc();
#pragma once

#include <QString>
#include <memory>

#include "imaging/global_memory.h"

class QPainter;
class QPrinter;

namespace imaging::control {

class Morvik;

class PrintJob {
 public:
  explicit PrintJob(Morvik* owner);
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  static constexpr const char* kSettingsFile = "MvPrn.Mv";

  // LoadSettings() reads folder + "MvPrn.Mv" (a missing file keeps the
  // current settings, ErrorCode 16; a malformed line is skipped).
  // SaveSettings() writes it atomically.
  bool LoadSettings(const QString& folder);
  bool SaveSettings(const QString& folder);
  // SetupDialog() shows the page setup dialog and, when confirmed, saves the
  // settings to the folder last loaded.
  bool SetupDialog();
  // CanPrepare(): the chosen printer (or output file) is usable.
  bool CanPrepare();
  // PrintDialog() lets the user choose a printer; `options` is accepted for
  // the callers' sake.  False when cancelled.
  bool PrintDialog(int options);
  // SetOutputFile() prints into a PDF file instead of a printer ("" = back
  // to the printer).
  void SetOutputFile(const QString& path);

  bool StartDoc(const QString& document_name);
  bool StartPage();
  // PrintableArea() is the printable width and height in 0.1 mm.
  bool PrintableArea(int* width, int* height);
  // PrintImage() prints the picture of `handle` at (x, y) with the size
  // (width, height), all in 0.1 mm.
  bool PrintImage(MemHandle handle, int x, int y, int width, int height);
  bool EndPage();
  bool EndDoc();
  int PageCount() const { return pages_; }
  bool InDocument() const { return painter_ != nullptr; }

  QPrinter& printer() { return *printer_; }

 private:
  Morvik* owner_;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;
  QString settings_folder_;
  int pages_ = 0;
  bool page_open_ = false;
};

}  // namespace imaging::control
