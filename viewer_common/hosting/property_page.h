// File: viewer_common/hosting/property_page.h
//
// A control's own property page, described as data: fields with control
// ids, kinds and the properties they edit, and the order Apply writes them.
// Showing the page reads every property into its field; Apply writes them
// back through dispatch.  A list's value is the integer at the start of its
// caption ("2 - Date" gives 2), a number is decimal text, a check box gives
// its state.  The first write an object refuses stops Apply: its error
// description is shown in a warning box titled "Error" and Apply gives E_FAIL.
//
//   hosting::PropertyPageDialog page(spec, {disp});
//   page.Load();
//   ... the user edits ...
//   if (hosting::Failed(page.Apply())) ...
#pragma once

#include <QDialog>
#include <map>
#include <string>
#include <vector>

#include "viewer_common/hosting/interfaces.h"

class QPushButton;

namespace hosting {

enum class FieldKind : uint8_t { kCheck, kList, kNumber, kText };

struct PageField {
  int id = 0;
  FieldKind kind = FieldKind::kText;
  DispId property = 0;
  std::u16string label_ja;
  std::u16string label_en;
  std::vector<std::u16string> captions_ja;  // lists: "0 - ...", "1 - ..."
  std::vector<std::u16string> captions_en;
  std::u16string unit_ja;  // numbers: a unit label after the field
  std::u16string unit_en;
  bool skip_when_empty = false;  // numbers: an empty field is not written
  bool sorted = false;           // lists: captions shown sorted
};

struct PageSpec {
  Guid clsid;
  std::u16string title_ja = u"設定";
  std::u16string title_en = u"Settings";
  std::vector<PageField> fields;   // top to bottom
  std::vector<int> apply_order;    // field ids; all fields in order when empty
};

class PropertyPageDialog : public QDialog {
 public:
  PropertyPageDialog(const PageSpec& spec, std::vector<ComPtr<IDispatch>> objects, QWidget* parent = nullptr);

  // Load() fills the fields from the first object.
  void Load();
  // Apply(): S_OK, or E_FAIL after the first refused write (message shown).
  HRESULT Apply();
  bool IsPageDirty() const { return dirty_; }
  // The editor of a field (QCheckBox, QComboBox or QLineEdit), by its id.
  QWidget* Field(int id) const;

 private:
  HRESULT WriteField(const PageField& f, IDispatch* disp);
  const PageSpec& spec_;
  std::vector<ComPtr<IDispatch>> objects_;
  std::map<int, QWidget*> editors_;
  QPushButton* apply_button_ = nullptr;
  bool dirty_ = false;
};

// CreatePropertyPage(): a page object for `spec` (which must outlive it).
HRESULT CreatePropertyPage(const PageSpec& spec, IUnknown* outer, const Guid& iid, void** out);

}  // namespace hosting
