// Acts on the next modal window of a given type once it is open, so that
// tests can drive dialogs that run their own event loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

template <typename Window>
void WhenModal(std::function<void(Window*)> act, int attemptsLeft = 200) {
    QTimer::singleShot(10, [act, attemptsLeft] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            act(window);
            return;
        }
        if (attemptsLeft > 0)
            WhenModal<Window>(act, attemptsLeft - 1);
    });
}
