// File: editor/dialogs/dialog_test_support.h
//
// Helpers for the parameter dialogs' tests: a test picture, an editor-side
// imaging control holding it, pixel comparison, and running code while a
// modal dialog is up.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <functional>
#include <memory>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/pp_pic.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "imaging/control/morvik.h"
#include "imaging/control/processor.h"

namespace ruvel::testing {

// A picture with gradients, hard edges and a few colours, so that every
// operation changes something.
inline QImage TestPicture(int width = 96, int height = 64, QImage::Format format = QImage::Format_RGB888) {
  QImage img(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      img.setPixelColor(x, y, QColor((x * 255) / std::max(1, width - 1), (y * 255) / std::max(1, height - 1),
                                     ((x + y) * 7) & 0xFF));
  QPainter p(&img);
  p.fillRect(width / 4, height / 4, width / 3, height / 3, QColor(250, 240, 20));
  p.setPen(QPen(Qt::black, 3));
  p.drawLine(0, height - 1, width - 1, 0);
  p.end();
  return format == QImage::Format_RGB888 ? img : img.convertToFormat(format);
}

// An imaging control standing in for the editor's mvImg.
struct EditorControl {
  std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
  std::unique_ptr<MvInstance> mv = NewPreviewControl(host.get());
  explicit EditorControl(const QImage& picture) {
    host->resize(400, 300);
    mv->widget()->resize(400, 300);
    mv->SetPicture(picture);
    mv->DrawImage(1);
  }
  QImage Pixels() const { return mv->Object()->image().empty() ? QImage() : mv->Picture(); }
};

// Direct(): the control's own processor, for working a reference result
// out without the dialog.
inline imaging::control::Processor& Direct(EditorControl& c) { return c.mv->Object()->Processor(); }

// TabIndex(): the index of the tab captioned `name` (UTF-8), or -1.
inline int TabIndex(const QTabBar* tabs, const char* name) {
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i) == QString::fromUtf8(name)) return i;
  return -1;
}

// RunWhileShown(): `steps` runs once the dialog's modal loop is up; if the
// dialog is still open afterwards it is closed (not updated).
inline void RunWhileShown(QDialog* dialog, std::function<void()> steps) {
  // Set-up lets pending events run, so wait for the modal loop itself.
  auto* poll = new QTimer(dialog);
  poll->setInterval(1);
  QObject::connect(poll, &QTimer::timeout, dialog, [dialog, poll, steps = std::move(steps)] {
    if (!dialog->isVisible() || QApplication::activeModalWidget() != dialog) return;
    poll->stop();
    poll->deleteLater();
    steps();
    if (dialog->isVisible()) dialog->reject();
  });
  poll->start();
}

// AnswerImageMenu(): the "画像(&F)" menu (the popup window's menu 10)
// chooses the item captioned `item` ("" closes it without a choice) until
// the guard goes.
struct AnswerImageMenu {
  explicit AnswerImageMenu(const QString& item) {
    ppPic::SetMenuRunner([item](QMenu* menu, QWidget*) {
      if (!item.isEmpty()) TriggerMenuPath(menu, {item});
    });
  }
  ~AnswerImageMenu() { ppPic::SetMenuRunner(nullptr); }
};

// Input as a user gives it.
inline void KeyClick(QWidget* w, int key, const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}
inline void KeyClicks(QWidget* w, const QString& text) {
  for (const QChar c : text) KeyClick(w, 0, QString(c));
}
inline void MouseClick(QWidget* w, Qt::MouseButton button) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  const QPointF global = w->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}

inline bool SamePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col)
      if ((x.pixel(col, row) & 0xFFFFFF) != (y.pixel(col, row) & 0xFFFFFF)) return false;
  return true;
}

}  // namespace ruvel::testing
