#include "app/qt/qt_wait_pump.h"

#include <QCoreApplication>
#include <QGuiApplication>
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
    // A click on "&Fechar", or its access key Alt+F, which Qt delivers as the button's shortcut.
    if ((event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::Shortcut) &&
        target == m_window.Command1) {
        EndAtOnce();
    }
    return true;
}
