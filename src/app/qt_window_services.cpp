#include "app/qt_window_services.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

namespace {

QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

}  // namespace

void QtWindowServices::ShowMessage(const std::u16string& text, MessageIcon icon) {
    // Plain text, so that a server's message holding "<" is shown as it is; line breaks written
    // as CR LF become single breaks.
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(
        icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon,
        QStringLiteral("Kestrel"), shown, QMessageBox::Ok, &m_window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtWindowServices::SetMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Busy) {
        if (QGuiApplication::overrideCursor() == nullptr) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
        return;
    }
    while (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtWindowServices::EndProgram() {
    // No timer event may run after the end; the event loops return as soon as control is back.
    m_window.Timer1->stop();
    m_window.hide();
    QCoreApplication::exit(0);
}

void QtWindowServices::SetTimerEnabled(bool enabled) {
    if (!enabled) {
        m_window.Timer1->stop();
    } else if (!m_window.Timer1->isActive()) {
        m_window.Timer1->start();
    }
}

void QtWindowServices::SetText(TextBox box, const std::u16string& text) {
    QLineEdit* edit = m_window.box(box);
    const QString shown = ToQString(text);
    edit->setText(shown);
    edit->setToolTip(shown);
    edit->setCursorPosition(0);
}

std::u16string QtWindowServices::Text(TextBox box) const {
    return m_window.box(box)->text().toStdU16String();
}
