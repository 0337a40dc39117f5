#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <vector>

// Answers what a test's clicks open from inside the modal event loops they run: every 50 ms a
// message box shown is noted and closed, and a Dialog shown gets the next of the scripted steps.
template <typename Dialog>
class ModalAnswerer : public QObject {
public:
    ModalAnswerer() {
        connect(&m_timer, &QTimer::timeout, this, [this] { AnswerOne(); });
        m_timer.start(50);
    }

    void Stop() { m_timer.stop(); }

    QStringList messages;
    QString lastTitle;
    Qt::TextFormat lastFormat = Qt::AutoText;
    QSize lastSize;
    std::vector<std::function<void(Dialog*)>> steps;

private:
    void AnswerOne() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                messages << box->text();
                lastTitle = box->windowTitle();
                lastFormat = box->textFormat();
                lastSize = box->frameGeometry().size();
                box->accept();
                return;
            }
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<Dialog*>(widget);
                dialog && dialog->isVisible() && !steps.empty()) {
                // From a timer of its own, so that a box the step opens is still answered.
                QTimer::singleShot(0, dialog, [dialog, step = steps.front()] { step(dialog); });
                steps.erase(steps.begin());
                return;
            }
        }
    }

    QTimer m_timer;
};
