#include "app/view_window_services.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "app/qt/frm_principal.h"
#include "app/qt/message_box.h"
#include "app/qt/qstring_conversion.h"
#include "app/qt/tool_tip_text.h"
#include "base/wait_pump.h"

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

void ViewWindowServices::ShowMessage(const std::u16string& text, MessageIcon icon) {
    ShowMessageBox(
        &m_window,
        icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon,
        ToQString(text));
}

void ViewWindowServices::SetMousePointer(MousePointer pointer) {
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

void ViewWindowServices::EndProgram() {
    // Inside a wait the event loops would return only once it is over: the program ends here.
    if (kestrel::WaitUnderWay()) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    // No timer event may run after the end; the event loops return as soon as control is back.
    m_window.Timer1->stop();
    m_window.hide();
    QCoreApplication::exit(0);
}

void ViewWindowServices::SetTimerEnabled(bool enabled) {
    if (!enabled) {
        m_window.Timer1->stop();
    } else if (!m_window.Timer1->isActive()) {
        m_window.Timer1->start();
    }
}

void ViewWindowServices::SetText(TextBox box, const std::u16string& text) {
    QLineEdit* edit = m_window.box(box);
    const QString shown = ToQString(text);
    edit->setText(shown);
    edit->setToolTip(ToolTipText(shown));
    edit->setCursorPosition(0);
}

std::u16string ViewWindowServices::Text(TextBox box) const {
    return m_window.box(box)->text().toStdU16String();
}

void ViewWindowServices::CopyToClipboard(const std::u16string& text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}
