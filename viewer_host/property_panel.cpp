#include "viewer_host/property_panel.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace host {

using namespace hosting;

PropertyPanel::PropertyPanel(IDispatch* dispatch, QWidget* parent) : QWidget(parent), dispatch_(dispatch) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  table_ = new QTableWidget(this);
  table_->setColumnCount(4);
  table_->setHorizontalHeaderLabels({"DISPID", "Name", "Type", "Value"});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->hide();
  layout->addWidget(table_);
  if (dispatch_ && Succeeded(dispatch_->GetTypeInfo(&info_)) && info_) {
    for (const MemberInfo& m : info_->members)
      if (m.kind == MemberKind::kProperty) rows_.push_back(&m);
  }
  table_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
    const MemberInfo* m = rows_[r];
    auto fixed = [](const QString& text) {
      auto* item = new QTableWidgetItem(text);
      item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      return item;
    };
    table_->setItem(r, 0, fixed(QString::number(m->id)));
    table_->setItem(r, 1, fixed(QString::fromStdString(m->name)));
    QString type = VarTypeName(m->type);
    if (!m->CanGet()) type += " (put only)";
    else if (!(m->access & (kPut | kPutRef))) type += " (get only)";
    table_->setItem(r, 2, fixed(type));
    auto* value = new QTableWidgetItem();
    if (!(m->access & (kPut | kPutRef))) value->setFlags(value->flags() & ~Qt::ItemIsEditable);
    table_->setItem(r, 3, value);
  }
  connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_ || item->column() != 3) return;
    (void)SetValue(rows_[item->row()]->id, item->text());
  });
  Refresh();
}

int PropertyPanel::RowOf(DispId id) const {
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
    if (rows_[r]->id == id) return r;
  return -1;
}

void PropertyPanel::RefreshRow(DispId id) {
  const int r = RowOf(id);
  if (r < 0) return;
  QString text;
  Variant v;
  if (rows_[r]->CanGet() && Succeeded(dispatch_->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr)))
    text = QString::fromStdString(v.ToDisplayString());
  filling_ = true;
  table_->item(r, 3)->setText(text);
  filling_ = false;
}

void PropertyPanel::Refresh() {
  for (const MemberInfo* m : rows_) RefreshRow(m->id);
}

HRESULT PropertyPanel::SetValue(DispId id, const QString& text) {
  const int r = RowOf(id);
  if (r < 0) return DISP_E_MEMBERNOTFOUND;
  Variant v = Variant::Bstr(text.toStdU16String());
  const InvokeKind kind = (rows_[r]->access & kPut) ? InvokeKind::kPropertyPut : InvokeKind::kPropertyPutRef;
  const HRESULT hr = dispatch_->Invoke(id, kind, &v, 1, nullptr, nullptr);
  RefreshRow(id);
  return hr;
}

QString PropertyPanel::ValueText(DispId id) const {
  const int r = RowOf(id);
  return r < 0 ? QString() : table_->item(r, 3)->text();
}

}  // namespace host
