// viewer_host: loads a viewer control's server library, registers it,
// creates the control through its class object and shows it with a
// property panel and an event log.
//
//   viewer_host lib/libviewer_sample_control.so
//   viewer_host libthumb.so --set FilePath=/pictures --call GetFiles --call Display
//   viewer_host libthumb.so --set BackColor=0xFF --quit    # scripted, no window
//   viewer_host libslide.so --script show.txt              # script mode (script_runner.h)
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "viewer_host/control_loader.h"
#include "viewer_host/host_window.h"
#include "viewer_host/property_panel.h"
#include "viewer_host/script_runner.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("Hosts a viewer control from its server library.");
  parser.addHelpOption();
  parser.addPositionalArgument("library", "path of the control's shared library");
  QCommandLineOption clsid_opt("clsid", "class to create (default: the library's first control)", "guid");
  QCommandLineOption set_opt("set", "set a property: Name=Value (repeatable)", "assignment");
  QCommandLineOption call_opt("call", "call a method: Name or Name=arg1,arg2 (repeatable)", "call");
  QCommandLineOption quit_opt("quit", "exit after --set and --call instead of showing the window");
  QCommandLineOption script_opt("script", "run the commands of FILE, one a line, then exit", "file");
  parser.addOptions({clsid_opt, set_opt, call_opt, quit_opt, script_opt});
  parser.process(app);
  if (parser.positionalArguments().size() != 1) parser.showHelp(2);

  std::optional<hosting::Guid> clsid;
  if (parser.isSet(clsid_opt)) {
    clsid = hosting::Guid::Parse(parser.value(clsid_opt).toStdString());
    if (!clsid) {
      std::fprintf(stderr, "viewer_host: bad CLSID %s\n", qPrintable(parser.value(clsid_opt)));
      return 2;
    }
  }
  host::ControlLoader loader;
  std::string error;
  if (!loader.Load(parser.positionalArguments().front().toStdString(), clsid, &error)) {
    std::fprintf(stderr, "viewer_host: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  if (parser.isSet(script_opt)) {
    {
      host::ScriptRunner runner(&loader, [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
      });
      status = runner.RunFile(parser.value(script_opt));
    }
    loader.Release();
    return status;
  }
  {
    host::HostWindow window(&loader);
    for (const QString& s : parser.values(set_opt)) {
      const qsizetype eq = s.indexOf('=');
      std::u16string name = s.left(eq).toStdU16String();
      hosting::DispId id;
      if (eq < 0 || hosting::Failed(loader.Dispatch()->GetIDsOfNames(&name, 1, &id))) {
        std::fprintf(stderr, "viewer_host: unknown property in --set %s\n", qPrintable(s));
        status = 1;
        continue;
      }
      const hosting::HRESULT hr = window.panel()->SetValue(id, s.mid(eq + 1));
      window.Log("set " + s.toStdString() + " -> " + std::to_string(hr) + ", now " +
                 window.panel()->ValueText(id).toStdString());
    }
    for (const QString& c : parser.values(call_opt)) {
      const qsizetype eq = c.indexOf('=');
      const QStringList args = eq < 0 ? QStringList() : c.mid(eq + 1).split(',');
      QString result;
      const hosting::HRESULT hr = window.CallMethod(c.left(eq), args, &result);
      window.Log("call " + c.toStdString() + " -> " + std::to_string(hr) + (result.isEmpty() ? "" : ", result " + result.toStdString()));
      if (hosting::Failed(hr)) status = 1;
    }
    if (!parser.isSet(quit_opt)) {
      window.show();
      status = app.exec();
    }
  }
  loader.Release();
  return status;
}
