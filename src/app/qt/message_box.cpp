#include "app/qt/message_box.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/message_text.h"

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, QString text) {
    text = QString::fromStdU16String(kestrel::MessageBoxText(text.toStdU16String()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, QStringLiteral("Kestrel"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // The box is as tall as its text: past the room the screen has, the text is cut instead.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        label->setMaximumHeight(screen->availableGeometry().height() * 2 / 3);
    }
    box.exec();
}
