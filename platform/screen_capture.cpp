// File: platform/screen_capture.cpp
#include "platform/screen_capture.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <QWidget>

#include "platform/portal_answer_p.h"

#if defined(OSMUND_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace platform {
namespace {

#if defined(OSMUND_HAVE_XCB)
// The window the window manager reports as active, 0 when none.
WId ActiveX11Window() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return 0;
  const xcb_setup_t* setup = xcb_get_setup(c);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  if (!it.rem || !it.data) return 0;
  const xcb_window_t root = it.data->root;
  static const char kName[] = "_NET_ACTIVE_WINDOW";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(kName) - 1, kName), nullptr);
  if (!atom) return 0;
  const xcb_atom_t active_atom = atom->atom;
  std::free(atom);
  if (active_atom == XCB_ATOM_NONE) return 0;
  xcb_get_property_reply_t* prop = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, active_atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
  if (!prop) return 0;
  WId window = 0;
  if (prop->type == XCB_ATOM_WINDOW && prop->format == 32 && xcb_get_property_value_length(prop) >= 4) {
    window = *static_cast<const xcb_window_t*>(xcb_get_property_value(prop));
  }
  std::free(prop);
  return window;
}
#endif

// The portal's Screenshot request: asks the compositor for a picture and
// waits for the answer (the user may be asked).  Null when there is no
// portal, the request is declined, or no answer comes within a minute.
QImage PortalScreenshot(bool interactive) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return QImage();
  const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
  QDBusInterface portal(service, QStringLiteral("/org/freedesktop/portal/desktop"),
                        QStringLiteral("org.freedesktop.portal.Screenshot"), bus);
  if (!portal.isValid()) return QImage();
  const QString token = QStringLiteral("ruvel%1").arg(QRandomGenerator::global()->generate());
  QVariantMap options;
  options.insert(QStringLiteral("handle_token"), token);
  options.insert(QStringLiteral("interactive"), interactive);
  options.insert(QStringLiteral("modal"), true);

  // The request object's path follows from the token, so the answer is
  // listened for before the request goes out and cannot be missed.
  QString sender = bus.baseService().mid(1);
  sender.replace('.', '_');
  const QString request_path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
  internal::PortalAnswer answer;
  const QString request_interface = QStringLiteral("org.freedesktop.portal.Request");
  if (!bus.connect(service, request_path, request_interface, QStringLiteral("Response"), &answer,
                   SLOT(Response(uint, QVariantMap)))) {
    return QImage();
  }
  const QDBusReply<QDBusObjectPath> reply = portal.call(QStringLiteral("Screenshot"), QString(), options);
  if (reply.isValid()) {
    QTimer::singleShot(60000, &answer.loop, &QEventLoop::quit);
    if (!answer.answered) answer.loop.exec();
  }
  bus.disconnect(service, request_path, request_interface, QStringLiteral("Response"), &answer,
                 SLOT(Response(uint, QVariantMap)));
  if (!answer.answered || answer.code != 0) return QImage();
  const QUrl url(answer.uri);
  if (!url.isLocalFile()) return QImage();
  return QImage(url.toLocalFile());
}

}  // namespace

QImage GrabScreen(bool active_window_only) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QString platform_name = QGuiApplication::platformName();
  if (platform_name.startsWith(QStringLiteral("wayland"))) return PortalScreenshot(active_window_only);
  if (!screen) return QImage();
  QPixmap grab;
  if (active_window_only) {
#if defined(OSMUND_HAVE_XCB)
    if (platform_name == QStringLiteral("xcb")) {
      if (const WId window = ActiveX11Window(); window != 0) grab = screen->grabWindow(window);
    }
#endif
    if (grab.isNull()) {
      // The program's own active window with its frame.
      QWidget* active = QApplication::activeWindow();
      if (!active) return QImage();
      const QRect frame = active->frameGeometry();
      grab = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    }
  } else {
    grab = screen->grabWindow(0);
  }
  return grab.isNull() ? QImage() : grab.toImage();
}

}  // namespace platform
