#include "app/qt/qt_wait_pump.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void EndAtOnce() {
    std::fflush(nullptr);
    std::_Exit(0);
}

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

}  // namespace

void QtWaitPump::Started() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::instance()->installEventFilter(this);
}

void QtWaitPump::Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtWaitPump::Ended() {
    QCoreApplication::instance()->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
}

bool QtWaitPump::eventFilter(QObject* target, QEvent* event) {
    if (event->type() == QEvent::Close && target == &m_window) {
        EndAtOnce();
    }
    if (!IsInput(event->type())) {
        return false;
    }
    // Alt+F, which Qt delivers as "&Fechar"'s shortcut, or a click on "&Fechar". The filter sees
    // the click first at the window's QWindow, which hands it on to the button only when let
    // through.
    if ((event->type() == QEvent::Shortcut && target == m_window.Command1) ||
        (event->type() == QEvent::MouseButtonRelease && ReleasedOnFechar(target, event))) {
        EndAtOnce();
    }
    return true;
}

bool QtWaitPump::ReleasedOnFechar(QObject* target, QEvent* event) const {
    if (target != m_window.windowHandle() && target != m_window.Command1) {
        return false;
    }
    const QPointF at = static_cast<QMouseEvent*>(event)->globalPosition();
    return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
           m_window.Command1->rect().contains(m_window.Command1->mapFromGlobal(at).toPoint());
}
