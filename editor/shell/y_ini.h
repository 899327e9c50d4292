// File: editor/shell/y_ini.h
//
// yIni: the settings object.  It holds the text of the user-environment file
// "User.xml" from start-up to shutdown and hands out values group by group
// by plain text search for "<name>" and "</name>"; changes are splices of
// text, so anything else in the file is kept as it was.  It also resolves
// the user-data folder at start-up and writes the help and "open with"
// shortcuts.
//
//   yIni ini;
//   (void)ini.GetTxt(Usr().UserDataFolder + "User.xml");
//   ini.GetGtx("画面");
//   int left = ToLong(ini.vGtVal("LEFT", 1440).toDouble());
//   ini.SetVal("LEFT", 2880);
//   ini.SetGtx();
//   (void)ini.SetTxt();
//
// The file is Shift-JIS with CR LF line ends; bytes that do not decode are
// kept and written back unchanged.  Saving is atomic.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>

class QWidget;

namespace ruvel {

class yIni {
 public:
  // --- the settings document ---

  // GetTxt(): loads the document (file name with "_DV.xml" -> ".xml").  A
  // missing file is created empty; an empty file gives a new document.
  // False on a read or create error (the document is then new and empty).
  [[nodiscard]] bool GetTxt(const QString& file);
  // GetGtx(): makes group current and loads its body ("" when absent).
  void GetGtx(const QString& group);
  // vGtVal(): a key of the current group; the kind of the result follows the
  // kind of fallback: QString, bool (invalid QVariant when the text is no
  // boolean), QDate/QDateTime (fallback when unparsable), else a number as
  // double (the leading number of the text; 0 when none).  A missing or
  // empty value gives fallback.
  QVariant vGtVal(const QString& key, const QVariant& fallback);
  // SetVal(): sets a key in the current group body (appended when missing).
  void SetVal(const QString& key, const QVariant& value);
  // SetGtx(): writes the current group body back into the document.
  void SetGtx();
  // SetTxt(): writes the document to the file atomically; false on error (the
  // old file stays).  Nothing happens (false) before GetTxt.
  [[nodiscard]] bool SetTxt();

  const QString& text() const { return text_; }
  const QString& file_path() const { return file_path_; }
  const QString& group() const { return group_; }
  const QString& body() const { return body_; }
  // The window remembered by W_UserData (owner of shell requests).
  QWidget* owner() const { return owner_; }
  // Bytes of the file that were not Shift-JIS (kept as they were).
  int undecodable_bytes() const { return undecodable_bytes_; }
  // Characters that Shift-JIS could not hold at the last SetTxt ("?").
  int unencodable_chars() const { return unencodable_chars_; }

  // --- folders (start-up) ---

  // W_UserData(): resolves Usr().UserDataFolder and AppDataFolder from
  // "UserData.ini" in the program folder, publishes the program path in the
  // registry value when it changed, and creates the user-data folder.
  void W_UserData(QWidget* owner);
  // FsGtSpFld(): a special folder (26, 5, 9) without trailing "/"; "" if none.
  QString FsGtSpFld(int32_t folder_id);
  // F_ChkSb(): creates base + each name that is missing (no parents).
  // Returns the names that could not be created.
  QStringList F_ChkSb(const QString& base, const QStringList& names);
  // F_CreateFld(): creates folder with every missing parent; errors at a
  // level are skipped.
  void F_CreateFld(const QString& folder);

  // --- shell services ---

  // W_Help(): writes the help link into the user-data folder and opens the
  // page on the maker's site.
  void W_Help(const QString& page);
  // W_SendTo(): puts an "open with" launcher for the editor into the user's
  // applications folder and reports it.
  void W_SendTo();

 private:
  QString Find(const QString& source, const QString& name, bool group_mode);

  QString text_;
  QString file_path_;
  QString group_;
  QString body_;
  int undecodable_bytes_ = 0;
  int unencodable_chars_ = 0;
  QWidget* owner_ = nullptr;
};

// The maker's home page; help pages are found below it.
inline constexpr char kMakerHomePage[] = "https://www.osmund.example/";

// ToLong(): a settings number as a 32-bit integer, rounded half to even and
// clamped to the 32-bit range.
int32_t ToLong(double value);

// LeadingNumber(): the number at the start of text ("12abc" -> 12, "abc" -> 0).
double LeadingNumber(const QString& text);

// ValueText(): how SetVal writes a value.
QString ValueText(const QVariant& value);

}  // namespace ruvel
