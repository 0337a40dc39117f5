#include "app/qt/tool_tip_text.h"

namespace {

constexpr int kLongestRun = 50;

}  // namespace

QString ToolTipText(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    QString html = QStringLiteral("<p style='white-space:pre-wrap'>");
    int run = 0;
    for (QChar c : text) {
        if (c == QLatin1Char(' ')) {
            run = 0;
        } else if (run >= kLongestRun && !c.isLowSurrogate()) {
            html += QStringLiteral("<br>");
            run = 0;
        }
        if (c != QLatin1Char(' ')) {
            ++run;
        }
        html += QString(c).toHtmlEscaped();
    }
    return html + QStringLiteral("</p>");
}
