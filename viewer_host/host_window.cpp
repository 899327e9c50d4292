#include "viewer_host/host_window.h"

#include <QDockWidget>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <cstdio>

#include "viewer_host/control_loader.h"
#include "viewer_host/event_log.h"
#include "viewer_host/property_panel.h"

namespace host {

using namespace hosting;

HostWindow::HostWindow(ControlLoader* loader, QWidget* parent) : QMainWindow(parent), loader_(loader) {
  setWindowTitle(QStringLiteral("viewer_host - %1").arg(QString::fromStdString(loader->clsid().ToString())));
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  auto* split = new QSplitter(Qt::Horizontal, central);
  if (QWidget* w = loader->Widget()) {
    w->setParent(split);
    split->addWidget(w);
  }
  panel_ = new PropertyPanel(loader->Dispatch(), split);
  split->addWidget(panel_);
  layout->addWidget(split, 3);

  auto* buttons = new QHBoxLayout();
  const InterfaceInfo* info = nullptr;
  if (Succeeded(loader->Dispatch()->GetTypeInfo(&info)) && info) {
    for (const MemberInfo& m : info->members) {
      if (m.kind != MemberKind::kMethod || !m.params.empty()) continue;
      auto* b = new QPushButton(QString::fromStdString(m.name), central);
      const QString name = QString::fromStdString(m.name);
      connect(b, &QPushButton::clicked, this, [this, name] {
        QString result;
        HRESULT hr = CallMethod(name, {}, &result);
        Log("call " + name.toStdString() + " -> " + std::to_string(hr) + (result.isEmpty() ? "" : " " + result.toStdString()));
      });
      buttons->addWidget(b);
    }
  }
  auto* refresh = new QPushButton(QStringLiteral("Read all"), central);
  connect(refresh, &QPushButton::clicked, panel_, &PropertyPanel::Refresh);
  buttons->addWidget(refresh);
  buttons->addStretch();
  layout->addLayout(buttons);
  log_ = new QPlainTextEdit(central);
  log_->setReadOnly(true);
  layout->addWidget(log_, 1);
  setCentralWidget(central);
  resize(900, 600);

  const InterfaceInfo* events = nullptr;
  ComPtr<IProvideClassInfo> ci;
  if (Succeeded(loader->Object()->QueryInterface(IProvideClassInfo::kIid, ci.PutVoid()))) ci->GetEventInfo(&events);
  sink_ = ComPtr<EventLog>(new EventLog(events, info, [this](const std::string& line) { Log(line); }));
  sink_->SetOnChanged([this](DispId id) { panel_->RefreshRow(id); });
  sink_->Connect(loader->Object());
}

HostWindow::~HostWindow() {
  if (sink_) sink_->Disconnect();
  // The control's widget belongs to the control object, not to this window.
  if (QWidget* w = loader_->Widget()) w->setParent(nullptr);
}

void HostWindow::Log(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  if (log_) log_->appendPlainText(QString::fromStdString(line));
}

HRESULT HostWindow::CallMethod(const QString& name, const QStringList& args, QString* result) {
  std::u16string n = name.toStdU16String();
  DispId id = kDispIdUnknown;
  if (HRESULT hr = loader_->Dispatch()->GetIDsOfNames(&n, 1, &id); Failed(hr)) return hr;
  std::vector<Variant> values;
  for (const QString& a : args) values.push_back(Variant::Bstr(a.toStdU16String()));
  Variant r;
  const HRESULT hr = loader_->Dispatch()->Invoke(id, InvokeKind::kMethod, values.data(), values.size(), &r, nullptr);
  if (result) *result = QString::fromStdString(r.ToDisplayString());
  return hr;
}

}  // namespace host
