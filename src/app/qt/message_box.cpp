#include "app/qt/message_box.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/message_text.h"

namespace {

// Qt breaks a line of a message only between words, and a run longer than the box is wide (a
// server's name or message without a blank) would widen the box past the screen: a zero-width
// space lets the line break there.
QString Breakable(const QString& text) {
    constexpr int kLongestRun = 50;
    QString broken;
    int run = 0;
    for (QChar c : text) {
        if (c.isSpace()) {
            run = 0;
        } else if (run >= kLongestRun && !c.isLowSurrogate()) {
            broken += QChar(0x200B);
            run = 0;
        }
        if (!c.isSpace()) {
            ++run;
        }
        broken += c;
    }
    return broken;
}

}  // namespace

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, QString text) {
    text = Breakable(QString::fromStdU16String(kestrel::MessageBoxText(text.toStdU16String())));
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
