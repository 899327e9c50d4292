#include "viewer_host/script_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "viewer_host/control_loader.h"
#include "viewer_host/event_log.h"

namespace host {

using namespace hosting;

namespace {

std::string Text(const QString& s) { return s.toStdString(); }

// The longest `wait` a script may ask for, so a typo cannot hang a run.
constexpr int kMaxWaitMs = 10 * 60 * 1000;
constexpr int kMaxSide = 16384;

}  // namespace

ScriptRunner::ScriptRunner(ControlLoader* loader, LineFn out, LineFn err)
    : loader_(loader), out_(std::move(out)), err_(std::move(err)) {
  if (!err_) err_ = [](const std::string& line) {
      std::fprintf(stderr, "%s\n", line.c_str());
      std::fflush(stderr);
    };
  const InterfaceInfo* info = nullptr;
  const InterfaceInfo* events = nullptr;
  if (loader_->Dispatch()) (void)loader_->Dispatch()->GetTypeInfo(&info);
  ComPtr<IProvideClassInfo> ci;
  if (loader_->Object() && Succeeded(loader_->Object()->QueryInterface(IProvideClassInfo::kIid, ci.PutVoid())))
    (void)ci->GetEventInfo(&events);
  sink_ = ComPtr<EventLog>(new EventLog(events, info, [this](const std::string& line) { out_(line); }));
  sink_->Connect(loader_->Object());
}

ScriptRunner::~ScriptRunner() {
  if (sink_) sink_->Disconnect();
}

int ScriptRunner::RunFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    err_("error: cannot read script " + Text(path) + ": " + Text(f.errorString()));
    return 2;
  }
  return RunLines(QString::fromUtf8(f.readAll()).split('\n'));
}

int ScriptRunner::RunLines(const QStringList& lines) {
  int status = 0;
  for (int i = 0; i < lines.size(); ++i) {
    std::string error;
    if (!RunLine(lines[i], &error)) {
      err_("error line " + std::to_string(i + 1) + ": " + error);
      status = 1;
    }
  }
  return status;
}

bool ScriptRunner::RunLine(const QString& raw, std::string* error) {
  const QString line = raw.trimmed();
  if (line.isEmpty() || line.startsWith('#')) return true;
  const qsizetype space = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
  const QString verb = space < 0 ? line : line.left(space);
  const QString arg = space < 0 ? QString() : line.mid(space + 1).trimmed();
  if (verb == "set") return Set(arg, error);
  if (verb == "call") return Call(arg, error);
  if (verb == "get") return Get(arg, error);
  if (verb == "size") return Size(arg.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts), error);
  if (verb == "show") return Show(error);
  if (verb == "wait") return Wait(arg, error);
  if (verb == "grab") return Grab(arg, error);
  *error = "unknown command \"" + Text(verb) + "\"";
  return false;
}

bool ScriptRunner::IdOf(const QString& name, DispId* id, std::string* error) const {
  std::u16string n = name.toStdU16String();
  if (name.isEmpty() || !loader_->Dispatch() || Failed(loader_->Dispatch()->GetIDsOfNames(&n, 1, id))) {
    *error = "unknown member \"" + Text(name) + "\"";
    return false;
  }
  return true;
}

bool ScriptRunner::Set(const QString& arg, std::string* error) {
  const qsizetype eq = arg.indexOf('=');
  if (eq < 0) {
    *error = "set needs Name=Value";
    return false;
  }
  DispId id;
  if (!IdOf(arg.left(eq).trimmed(), &id, error)) return false;
  Variant v = Variant::Bstr(arg.mid(eq + 1).toStdU16String());
  HRESULT hr = loader_->Dispatch()->Invoke(id, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr);
  if (hr == DISP_E_MEMBERNOTFOUND)  // put-by-reference properties (fonts, pictures)
    hr = loader_->Dispatch()->Invoke(id, InvokeKind::kPropertyPutRef, &v, 1, nullptr, nullptr);
  out_("set " + Text(arg) + " -> " + std::to_string(hr));
  if (Failed(hr)) {
    *error = "set " + Text(arg) + " failed: " + std::to_string(hr);
    return false;
  }
  return true;
}

bool ScriptRunner::Call(const QString& arg, std::string* error) {
  const qsizetype eq = arg.indexOf('=');
  const QString name = (eq < 0 ? arg : arg.left(eq)).trimmed();
  DispId id;
  if (!IdOf(name, &id, error)) return false;
  std::vector<Variant> values;
  if (eq >= 0)
    for (const QString& a : arg.mid(eq + 1).split(',')) values.push_back(Variant::Bstr(a.toStdU16String()));
  Variant r;
  const HRESULT hr = loader_->Dispatch()->Invoke(id, InvokeKind::kMethod, values.data(), values.size(), &r, nullptr);
  const std::string result = r.type() == VarType::kEmpty ? "" : ", result " + r.ToDisplayString();
  out_("call " + Text(arg) + " -> " + std::to_string(hr) + result);
  if (Failed(hr)) {
    *error = "call " + Text(arg) + " failed: " + std::to_string(hr);
    return false;
  }
  return true;
}

bool ScriptRunner::Get(const QString& arg, std::string* error) {
  DispId id;
  if (!IdOf(arg, &id, error)) return false;
  Variant v;
  const HRESULT hr = loader_->Dispatch()->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr);
  if (Failed(hr)) {
    *error = "get " + Text(arg) + " failed: " + std::to_string(hr);
    return false;
  }
  out_("get " + Text(arg) + " = " + v.ToDisplayString());
  return true;
}

bool ScriptRunner::Size(const QStringList& words, std::string* error) {
  bool ok_w = false, ok_h = false;
  const int w = words.size() == 2 ? words[0].toInt(&ok_w) : 0;
  const int h = words.size() == 2 ? words[1].toInt(&ok_h) : 0;
  if (!ok_w || !ok_h || w < 0 || h < 0 || w > kMaxSide || h > kMaxSide) {
    *error = "size needs a width and a height in pixels (0.." + std::to_string(kMaxSide) + ")";
    return false;
  }
  QWidget* widget = loader_->Widget();
  if (!widget) {
    *error = "the control has no window";
    return false;
  }
  widget->setMinimumSize(0, 0);
  widget->resize(w, h);
  return true;
}

bool ScriptRunner::Show(std::string* error) {
  QWidget* widget = loader_->Widget();
  if (!widget) {
    *error = "the control has no window";
    return false;
  }
  widget->show();
  // Let the window system map the window and deliver the first paint.
  QElapsedTimer t;
  t.start();
  while (!widget->isVisible() && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::processEvents();
  widget->repaint();
  return true;
}

bool ScriptRunner::Wait(const QString& arg, std::string* error) {
  bool ok = false;
  const int ms = arg.toInt(&ok);
  if (!ok || ms < 0 || ms > kMaxWaitMs) {
    *error = "wait needs milliseconds (0.." + std::to_string(kMaxWaitMs) + ")";
    return false;
  }
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  return true;
}

bool ScriptRunner::Grab(const QString& arg, std::string* error) {
  QWidget* widget = loader_->Widget();
  if (!widget) {
    *error = "the control has no window";
    return false;
  }
  if (arg.isEmpty()) {
    *error = "grab needs a file path";
    return false;
  }
  // A shown window is taken as the screen holds it (no repaint, so no
  // events); a hidden one is rendered.
  QPixmap pix;
  if (widget->isVisible() && widget->screen())
    pix = widget->screen()->grabWindow(widget->winId());
  if (pix.isNull() || pix.size() != widget->size()) pix = widget->grab();
  if (pix.isNull() || !pix.toImage().save(arg, "PNG")) {
    *error = "cannot save " + Text(arg);
    return false;
  }
  return true;
}

}  // namespace host
