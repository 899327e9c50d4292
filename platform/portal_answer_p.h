// File: platform/portal_answer_p.h
//
// Private to screen_capture.cpp: receives the desktop portal's Response
// signal for one request and ends the wait for it.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace platform::internal {

class PortalAnswer : public QObject {
  Q_OBJECT

 public:
  QEventLoop loop;
  bool answered = false;
  uint code = 2;  // 0 done, 1 cancelled by the user, 2 other
  QString uri;

 public slots:
  void Response(uint response, const QVariantMap& results) {
    answered = true;
    code = response;
    uri = results.value(QStringLiteral("uri")).toString();
    loop.quit();
  }
};

}  // namespace platform::internal
