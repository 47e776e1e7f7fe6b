// Drives modal dialogs from a test without a person: the action runs on the next modal
// widget once it is up, and whatever happens in the action the widget is closed in the end,
// so a failed check never leaves an exec() loop waiting forever.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

inline void OnNextModal(std::function<void(QWidget*)> action, int timeoutMs = 10000,
                        QPointer<QWidget> skip = nullptr)
{
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, timeoutMs, skip]() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || (skip && w == skip.data() && w->isVisible())) {
            if (clock->elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        QPointer<QWidget> guard(w);
        action(w);
        QTimer::singleShot(200, [guard]() {
            if (guard && guard->isVisible()) {
                if (auto* dlg = qobject_cast<QDialog*>(guard.data()))
                    dlg->reject();
                else
                    guard->close();
            }
        });
    });
    timer->start();
}

// Runs the action on every modal widget that appears, in order, for the given actions.
inline void OnNextModals(std::vector<std::function<void(QWidget*)>> actions)
{
    if (actions.empty())
        return;
    auto first = actions.front();
    actions.erase(actions.begin());
    OnNextModal([first, actions](QWidget* w) {
        first(w);
        // The next action waits for a modal widget other than this one, should it still be up.
        if (!actions.empty()) {
            auto rest = actions;
            auto next = rest.front();
            rest.erase(rest.begin());
            OnNextModal(
                [next, rest](QWidget* w2) {
                    next(w2);
                    OnNextModals(rest);
                },
                10000, QPointer<QWidget>(w));
        }
    });
}
