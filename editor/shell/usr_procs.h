// File: editor/shell/usr_procs.h
//
// Small shared procedures used across the editor: files and folders, text
// cutting, the busy pointer and dialog placement inside the work area.
// In/out text arguments are passed by pointer; all geometry is in twips.
//
//   QString name = path;  CutAt(&name, ".");
//   QString names = ListFiles(Usr().AppDataFolder, "*.bmp");  // TAB-joined
//   int32_t left, top;  PlaceDialog(4800, 3600, &left, &top);
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace ruvel {

// ToFront(): raises and activates the window.
void ToFront(QWidget* window);

// CaptureScreenKeys(): clears the clipboard and puts a grab of the active
// window (or the whole screen) on it, then lets pending events run once.
void CaptureScreenKeys(bool active_window_only);

bool IsFolder(const QString& path);   // false for ""
bool IsFile(const QString& path);     // false for ""; folders are not files
int32_t FileSize(const QString& path);  // bytes; 0 on any error or above 2 GiB
// DeleteFileQuiet(): true when the file was deleted; read-only files are
// not forced.
bool DeleteFileQuiet(const QString& path);

// ListFiles(): names of the files in folder matching the wildcard pattern
// (case-sensitive), in directory order, TAB-joined; "" when none.  A
// missing folder shows folder + " Not Found" and gives "".
QString ListFiles(const QString& folder, const QString& pattern);

void CutAt(QString* text, const QString& separator);      // keep the part before
void TrimSuffix(QString* text, const QString& suffix);    // remove once
void AddSuffix(QString* text, const QString& suffix);     // "" means "/"
// SplitAt(): separator "" means ","; no separator: left = text, right = "".
void SplitAt(const QString& text, const QString& separator, QString* left, QString* right);
// TextBetween(): text after startMark up to the next endMark (both optional).
QString TextBetween(QString text, const QString& start_mark, const QString& end_mark);

// SetBusy(): hourglass on or off, then lets pending events run once.
void SetBusy(bool busy);

// PlaceDialog(): a position for a dialog of the given size near the main
// window's lower right, kept inside the work area.
void PlaceDialog(int32_t width, int32_t height, int32_t* left, int32_t* top);

// FitWorkArea(): pulls a rectangle into Usr().WorkArea.
void FitWorkArea(int32_t* left, int32_t* top, int32_t* width, int32_t* height);

// Window geometry in twips (outer frame position, inner size) and back.
struct TwipsGeometry {
  int32_t left = 0, top = 0, width = 0, height = 0;
};
TwipsGeometry WindowTwips(const QWidget* window);
void MoveWindowTwips(QWidget* window, const TwipsGeometry& geometry);

}  // namespace ruvel
