// File: platform/busy.cpp
#include "platform/busy.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace platform {
namespace {
bool g_busy = false;
}

void SetBusyCursor(bool busy) {
  if (busy == g_busy) return;
  g_busy = busy;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  if (busy)
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QGuiApplication::restoreOverrideCursor();
}

bool IsBusyCursor() { return g_busy; }

void LetPendingEventsRun() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace platform
