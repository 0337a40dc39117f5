#pragma once

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

// What a Qt window shows, read as a user would read it.

// The items of the menu that a right click on `widget` opens, "(cinza)" after a greyed one.
inline QStringList ContextMenuItems(QWidget* widget) {
    QStringList items;
    QTimer::singleShot(0, [&items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        for (const QAction* action : menu->actions()) {
            items << action->text() +
                         (action->isEnabled() ? QString() : QStringLiteral(" (cinza)"));
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &event);
    return items;
}

// The characters a box's tip shows as Qt lays it out; what went wrong instead, where the tip would
// show its markup as text or asks for a picture or file.
inline QString ShownInTip(const QLineEdit* box) {
    if (!Qt::mightBeRichText(box->toolTip())) {
        return QStringLiteral("(shown as plain text, markup and all) ") + box->toolTip();
    }
    class Document : public QTextDocument {
    public:
        QStringList loaded;

    protected:
        QVariant loadResource(int, const QUrl& name) override {
            loaded << name.toString();
            return {};
        }
    } document;
    document.setHtml(box->toolTip());
    document.adjustSize();
    if (!document.loaded.isEmpty()) {
        return QStringLiteral("(loads ") + document.loaded.join(QLatin1Char(' ')) + u')';
    }
    return document.toPlainText().remove(QChar::LineSeparator).remove(QLatin1Char('\n'));
}
