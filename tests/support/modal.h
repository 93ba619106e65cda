#pragma once

#include <functional>

#include <QApplication>
#include <QTest>
#include <QTimer>

// Runs `action` on the modal window of type T that the next command opens, once it is up. The
// windows under test are exec()ed, so the test answers them from the event loop. A window that
// has not opened within five seconds fails the test, and every window is closed so that the
// command returns.
template<typename T>
void WhenShown(std::function<void(T *)> action, int tries = 500)
{
    QTimer::singleShot(10, [action, tries] {
        if (auto *window = dynamic_cast<T *>(QApplication::activeModalWidget())) {
            action(window);
        } else if (tries > 0) {
            WhenShown<T>(action, tries - 1);
        } else {
            QApplication::closeAllWindows();
            QFAIL("the expected window did not open");
        }
    });
}
