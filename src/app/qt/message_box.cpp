#include "app/qt/message_box.h"

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, QStringLiteral("Kestrel"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
