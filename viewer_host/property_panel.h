// File: viewer_host/property_panel.h
//
// A table of a control's properties, one row per DISPID: name, type and
// current value.  Editing a value cell puts the text through dispatch (the
// control converts it to the property's type); the row is then read back,
// so a refused value shows the value the control kept.  Put-only
// properties can be set but show no value.
//
//   host::PropertyPanel panel(dispatch);
//   panel.Refresh();
//   panel.SetValue(-501, "0x0000FF");    // as if typed into the cell
#pragma once

#include <QWidget>

#include "viewer_common/hosting/interfaces.h"

class QTableWidget;

namespace host {

class PropertyPanel : public QWidget {
 public:
  explicit PropertyPanel(hosting::IDispatch* dispatch, QWidget* parent = nullptr);

  void Refresh();
  void RefreshRow(hosting::DispId id);
  // SetValue(): puts `text`; returns the call's status.
  hosting::HRESULT SetValue(hosting::DispId id, const QString& text);
  // ValueText(): the value column of the property's row.
  QString ValueText(hosting::DispId id) const;
  int RowOf(hosting::DispId id) const;
  QTableWidget* table() const { return table_; }

 private:
  hosting::ComPtr<hosting::IDispatch> dispatch_;
  const hosting::InterfaceInfo* info_ = nullptr;
  std::vector<const hosting::MemberInfo*> rows_;
  QTableWidget* table_;
  bool filling_ = false;
};

}  // namespace host
