// Acts on the next modal window of a given type once it is open, so that
// tests can drive dialogs that run their own event loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// With `ready`, only once ready(window) holds too: a window that is
// modal again after a nested box closed may still be finishing the handler
// that opened the box.
template <typename Window>
void WhenModal(std::function<void(Window*)> act, int attemptsLeft = 200,
               std::function<bool(Window*)> ready = {}) {
    QTimer::singleShot(10, [act, attemptsLeft, ready] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (window && (!ready || ready(window) || attemptsLeft == 0)) {
            act(window);
            return;
        }
        if (attemptsLeft > 0)
            WhenModal<Window>(act, attemptsLeft - 1, ready);
    });
}
