#include "viewer_common/hosting/property_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "viewer_common/hosting/control.h"
#include "viewer_common/hosting/dialog_runner.h"

namespace hosting {
namespace {

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

// The integer a list caption starts with ("12 - x" gives 12), or 0.
int LeadingInteger(const QString& text) { return CaptionValue(text.toStdU16String()); }

Variant GetValue(IDispatch* disp, DispId id) {
  Variant v;
  if (Failed(disp->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr))) return Variant();
  return v;
}

}  // namespace

PropertyPageDialog::PropertyPageDialog(const PageSpec& spec, std::vector<ComPtr<IDispatch>> objects, QWidget* parent)
    : QDialog(parent), spec_(spec), objects_(std::move(objects)) {
  const bool ja = IsJapaneseUi();
  setWindowTitle(Q(ja ? spec.title_ja : spec.title_en));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  layout->addLayout(form);
  auto mark_dirty = [this] {
    dirty_ = true;
    if (apply_button_) apply_button_->setEnabled(true);
  };
  for (const PageField& f : spec.fields) {
    const QString label = Q(ja ? f.label_ja : f.label_en);
    QWidget* editor = nullptr;
    switch (f.kind) {
      case FieldKind::kCheck: {
        auto* box = new QCheckBox(label, this);
        connect(box, &QCheckBox::clicked, this, mark_dirty);
        form->addRow(box);
        editor = box;
        break;
      }
      case FieldKind::kList: {
        auto* combo = new QComboBox(this);
        connect(combo, &QComboBox::activated, this, mark_dirty);
        form->addRow(label, combo);
        editor = combo;
        break;
      }
      case FieldKind::kNumber:
      case FieldKind::kText: {
        auto* edit = new QLineEdit(this);
        if (f.kind == FieldKind::kNumber)
          edit->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,9}"), edit));
        connect(edit, &QLineEdit::textEdited, this, mark_dirty);
        const std::u16string& unit = ja ? f.unit_ja : f.unit_en;
        if (unit.empty()) {
          form->addRow(label, edit);
        } else {
          auto* row = new QHBoxLayout();
          row->addWidget(edit);
          row->addWidget(new QLabel(Q(unit), this));
          form->addRow(label, row);
        }
        editor = edit;
        break;
      }
    }
    editor->setObjectName(QStringLiteral("field%1").arg(f.id));
    editors_[f.id] = editor;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  apply_button_ = buttons->button(QDialogButtonBox::Apply);
  apply_button_->setEnabled(false);
  connect(apply_button_, &QPushButton::clicked, this, [this] { (void)Apply(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (!dirty_ || Succeeded(Apply())) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QWidget* PropertyPageDialog::Field(int id) const {
  auto it = editors_.find(id);
  return it == editors_.end() ? nullptr : it->second;
}

void PropertyPageDialog::Load() {
  if (objects_.empty()) return;
  IDispatch* disp = objects_.front().Get();
  const bool ja = IsJapaneseUi();
  for (const PageField& f : spec_.fields) {
    QWidget* w = Field(f.id);
    const Variant v = GetValue(disp, f.property);
    switch (f.kind) {
      case FieldKind::kCheck: static_cast<QCheckBox*>(w)->setChecked(v.AsBool()); break;
      case FieldKind::kList: {
        auto* combo = static_cast<QComboBox*>(w);
        combo->clear();
        QStringList items;
        for (const std::u16string& c : ja ? f.captions_ja : f.captions_en) items << Q(c);
        // A list without captions of its own offers the object's predefined
        // values (value browsing), the same captions hosts show.
        if (items.isEmpty()) {
          ComPtr<IPerPropertyBrowsing> browse;
          std::vector<std::u16string> captions;
          std::vector<uint32_t> cookies;
          if (Succeeded(disp->QueryInterface(IPerPropertyBrowsing::kIid, browse.PutVoid())) &&
              Succeeded(browse->GetPredefinedStrings(f.property, &captions, &cookies)))
            for (const std::u16string& c : captions) items << Q(c);
        }
        if (f.sorted) items.sort();
        combo->addItems(items);
        for (int i = 0; i < combo->count(); ++i)
          if (LeadingInteger(combo->itemText(i)) == v.AsI4()) combo->setCurrentIndex(i);
        break;
      }
      case FieldKind::kNumber: static_cast<QLineEdit*>(w)->setText(QString::number(v.AsI4())); break;
      case FieldKind::kText: static_cast<QLineEdit*>(w)->setText(Q(v.AsString())); break;
    }
  }
  dirty_ = false;
  if (apply_button_) apply_button_->setEnabled(false);
}

HRESULT PropertyPageDialog::WriteField(const PageField& f, IDispatch* disp) {
  QWidget* w = Field(f.id);
  Variant v;
  switch (f.kind) {
    case FieldKind::kCheck: v = Variant::Bool(static_cast<QCheckBox*>(w)->isChecked()); break;
    case FieldKind::kList: {
      auto* combo = static_cast<QComboBox*>(w);
      if (combo->currentIndex() < 0) return S_OK;
      v = Variant::I4(LeadingInteger(combo->currentText()));
      break;
    }
    case FieldKind::kNumber: {
      const QString text = static_cast<QLineEdit*>(w)->text();
      if (text.isEmpty() && f.skip_when_empty) return S_OK;
      v = Variant::I4(text.toInt());
      break;
    }
    case FieldKind::kText: v = Variant::Bstr(static_cast<QLineEdit*>(w)->text().toStdU16String()); break;
  }
  ExcepInfo excep;
  HRESULT hr = disp->Invoke(f.property, InvokeKind::kPropertyPut, &v, 1, nullptr, &excep);
  if (Failed(hr)) {
    QString text = Q(excep.description);
    if (text.isEmpty()) text = QStringLiteral("The value could not be set (0x%1).").arg(static_cast<uint32_t>(hr), 8, 16, QChar('0'));
    ShowWarning(this, QStringLiteral("Error"), text);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT PropertyPageDialog::Apply() {
  std::vector<const PageField*> order;
  if (spec_.apply_order.empty()) {
    for (const PageField& f : spec_.fields) order.push_back(&f);
  } else {
    for (int id : spec_.apply_order)
      for (const PageField& f : spec_.fields)
        if (f.id == id) order.push_back(&f);
  }
  for (const ComPtr<IDispatch>& obj : objects_)
    for (const PageField* f : order)
      if (Failed(WriteField(*f, obj.Get()))) return E_FAIL;
  dirty_ = false;
  if (apply_button_) apply_button_->setEnabled(false);
  return S_OK;
}

namespace {

class PropertyPageObject final : public IPropertyPage, public RefCounted {
 public:
  explicit PropertyPageObject(const PageSpec& spec) : spec_(spec) {}
  HRESULT QueryInterface(const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::kIid || iid == IPropertyPage::kIid) return ReturnInterface<IPropertyPage>(this, out);
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return AddRefImpl(); }
  uint32_t Release() override { return ReleaseImpl(); }
  HRESULT SetObjects(IUnknown* const* objects, size_t count) override {
    if (count && !objects) return E_POINTER;
    std::vector<ComPtr<IDispatch>> list;
    for (size_t i = 0; i < count; ++i) {
      ComPtr<IDispatch> d;
      if (!objects[i] || Failed(objects[i]->QueryInterface(IDispatch::kIid, d.PutVoid()))) return E_NOINTERFACE;
      list.push_back(d);
    }
    objects_ = std::move(list);
    return S_OK;
  }
  HRESULT Show(QWidget* parent) override {
    PropertyPageDialog dlg(spec_, objects_, parent);
    dlg.Load();
    return RunDialog(&dlg) == QDialog::Accepted ? S_OK : S_FALSE;
  }

 private:
  const PageSpec& spec_;
  std::vector<ComPtr<IDispatch>> objects_;
};

}  // namespace

HRESULT CreatePropertyPage(const PageSpec& spec, IUnknown* outer, const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* page = new PropertyPageObject(spec);
  page->AddRef();
  HRESULT hr = page->QueryInterface(iid, out);
  page->Release();
  return hr;
}

}  // namespace hosting
