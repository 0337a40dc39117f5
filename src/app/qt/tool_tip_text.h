#pragma once

#include <QString>

// The tooltip that shows `text` as it is. Qt guesses whether a tooltip is markup
// (Qt::mightBeRichText), so a server's value could draw pictures, open local files or hide text;
// the tip is made markup that says so, with every character escaped. It wraps at blanks, and a run
// without one is broken every 50 characters, so that no tip runs off the screen in one line.
QString ToolTipText(const QString& text);
