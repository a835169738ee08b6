#include "ui/qt/OpeningClickGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>
#include <QWidget>

namespace ondulix::ui::qt {

OpeningClickGuard::OpeningClickGuard(QWidget& dialog) : dialog_(dialog) {
    // On the application, since a click goes to the child under the pointer, not to the dialog.
    QCoreApplication::instance()->installEventFilter(this);
}

OpeningClickGuard::~OpeningClickGuard() { QCoreApplication::instance()->removeEventFilter(this); }

bool OpeningClickGuard::aimsAtDialog(const QObject* watched) const {
    const auto* widget = qobject_cast<const QWidget*>(watched);
    return widget && (widget == &dialog_ || dialog_.isAncestorOf(widget));
}

bool OpeningClickGuard::tooSoon() const {
    return !sinceShown_.isValid() || sinceShown_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

bool OpeningClickGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        if (watched == &dialog_)
            sinceShown_.start();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (aimsAtDialog(watched) && tooSoon())
            return true;
        break;
    default:
        break;
    }
    return false;
}

} // namespace ondulix::ui::qt
