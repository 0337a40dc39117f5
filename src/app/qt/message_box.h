#pragma once

#include <QMessageBox>
#include <QString>

// A modal OK box under the program's title. Plain text, so that a server's message holding "<" is
// shown as it is; CR LF line breaks become single breaks.
void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, QString text);
