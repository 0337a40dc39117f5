#pragma once

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>
#include <string_view>

// What a Qt window shows, read as a user would read it.

inline QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

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

// The characters a box's tip shows as Qt lays it out; fails if it asks for a picture or file.
inline QString ShownInTip(const QLineEdit* box) {
    class Document : public QTextDocument {
    protected:
        QVariant loadResource(int, const QUrl& name) override {
            QTest::qFail(qPrintable(QStringLiteral("loads ") + name.toString()), __FILE__,
                         __LINE__);
            return {};
        }
    } document;
    if (!Qt::mightBeRichText(box->toolTip())) {
        QTest::qFail("the tip would be shown as plain text, its markup and all", __FILE__,
                     __LINE__);
    }
    document.setHtml(box->toolTip());
    document.adjustSize();
    return document.toPlainText().remove(QChar::LineSeparator).remove(QLatin1Char('\n'));
}
