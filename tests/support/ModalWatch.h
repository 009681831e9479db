// Drives real modal loops without timers: the callback runs once for each modal window shown,
// posted to the event loop that shows it, so it runs inside that loop as soon as it is running.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <utility>

namespace tolvane::test {

class ModalWatch : public QObject {
 public:
  explicit ModalWatch(std::function<void(QWidget* modal)> onShown) : m_onShown(std::move(onShown)) {
    QApplication::instance()->installEventFilter(this);
  }
  ~ModalWatch() override { QApplication::instance()->removeEventFilter(this); }
  ModalWatch(const ModalWatch&) = delete;
  ModalWatch& operator=(const ModalWatch&) = delete;

  /** Modal windows shown so far. */
  int Shown() const { return m_shown; }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(object);
    if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow() &&
        widget->isModal()) {
      ++m_shown;
      QPointer<QWidget> modal(widget);
      QMetaObject::invokeMethod(
          this,
          [this, modal] {
            if (modal) m_onShown(modal);
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  std::function<void(QWidget*)> m_onShown;
  int m_shown = 0;
};

}  // namespace tolvane::test
