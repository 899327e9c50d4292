// File: editor/shell/usr.h
//
// The editor's process-wide values, set once at start-up and read across the
// editor.  One instance, reached through Usr().
//
//   const QString work = ruvel::Usr().UserDataFolder + "Wrk/";
//   if (ruvel::Usr().InitBusy) return;
//
// Folder values always end in "/".
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

namespace ruvel {

class yIni;

struct WorkAreaTwips {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

struct UsrState {
  QString ProgramName;      // executable base name, a trailing "_dv" removed
  QString ProgramFolder;    // folder of the executable as reported (no trailing "/")
  QString AppDataFolder;    // ProgramFolder + "/apData/"
  QString UserDataFolder;   // holds User.xml, Wrk/ and Temp/
  WorkAreaTwips WorkArea;   // usable desktop area
  bool Started = false;     // resize handlers do nothing until true
  bool InitBusy = false;    // a window is filling its controls
  QPointer<QWidget> MainForm;
  QString PictureFolder;    // folder of the last opened picture
  yIni* Ini = nullptr;      // the one settings object (owned by Main)
};

UsrState& Usr();

// ResetUsr(): all values back to their initial state (tests, shutdown).
void ResetUsr();

}  // namespace ruvel
