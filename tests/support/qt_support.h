#pragma once
// Event-loop helpers for the socket tests: one application object, and bounded waits.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QString>
#include <functional>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace orv::test {

inline void EnsureApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "net_tests";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

// Runs the event loop until done() holds; false when timeoutMs passes first. The timeouts are
// generous: they only end a test that would otherwise hang.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer tick;  // wakes the loop so that the time-out is seen
    tick.start(20);
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Lets the event loop run for a while (to show that something does not happen).
inline void RunFor(int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    WaitUntil([&] { return elapsed.elapsed() >= ms; }, ms + 1000);
}

}  // namespace orv::test
