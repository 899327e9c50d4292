// The off-screen GUI application behind render sessions.
#include "imaging/vector/render_session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>
#include <mutex>

namespace imaging::vector {
namespace {

std::mutex g_mutex;
int g_count = 0;
QGuiApplication* g_app = nullptr;  // ours, when we made it
int g_argc = 3;
char g_arg0[] = "imaging";
char g_arg1[] = "-platform";
char g_arg2[] = "offscreen";
char* g_argv[] = {g_arg0, g_arg1, g_arg2, nullptr};

}  // namespace

void AcquireRenderSession() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_count++ == 0 && QCoreApplication::instance() == nullptr) {
    // The application takes the platform arguments out of argv: they are
    // put back for every new one, or a second session would look for a
    // display.
    g_argc = 3;
    g_argv[0] = g_arg0;
    g_argv[1] = g_arg1;
    g_argv[2] = g_arg2;
    g_argv[3] = nullptr;
    g_app = new QGuiApplication(g_argc, g_argv);
  }
}

void ReleaseRenderSession() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_count == 0) return;
  if (--g_count == 0 && g_app != nullptr) {
    delete g_app;
    g_app = nullptr;
  }
}

RenderSession::RenderSession() { AcquireRenderSession(); }
RenderSession::~RenderSession() { ReleaseRenderSession(); }

bool RenderSession::can_paint_text() const {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace imaging::vector
