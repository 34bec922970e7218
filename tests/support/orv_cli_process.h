#pragma once
// orv-cli running in the background while the test talks to it (a station, a relay server): what
// it writes is collected as it comes, while the test runs the event loop. The test target
// defines ORV_CLI as the program's path.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

#include "qt_support.h"

#ifndef ORV_CLI
#error "ORV_CLI must name the orv-cli program"
#endif

namespace orv::test {

struct OrvCliProcess {
    QProcess process;
    QString out, err;  // everything written to stdout and stderr so far

    // Starts `orv-cli args...`; whether it started shows in process.state(). `childSetup` runs in
    // the new process before orv-cli does (a signal mask): QProcess may start it with vfork, so it
    // shares the test's memory and may only make system calls (no allocation, no setenv).
    // `launcher` is a command line that runs orv-cli as its next arguments (a shell giving it an
    // environment only known in the new process).
    explicit OrvCliProcess(const QStringList& args, const std::function<void()>& childSetup = {},
                           const QStringList& launcher = {}) {
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] { err += process.readAllStandardError(); });
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] { out += process.readAllStandardOutput(); });
        if (childSetup) process.setChildProcessModifier(childSetup);
        if (launcher.isEmpty())
            process.start(QStringLiteral(ORV_CLI), args);
        else
            process.start(launcher.front(), launcher.mid(1) + QStringList{QStringLiteral(ORV_CLI)} + args);
    }
    // Kills it when it still runs.
    ~OrvCliProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(30000);
        }
    }
    OrvCliProcess(const OrvCliProcess&) = delete;
    OrvCliProcess& operator=(const OrvCliProcess&) = delete;

    // Waits until stderr holds `text`; false when the program ends (or the wait times out) first.
    bool Said(const QString& text) {
        return WaitUntil([&] { return err.contains(text) || process.state() == QProcess::NotRunning; }) &&
               err.contains(text);
    }
    // Waits until the program has ended by itself; false on time-out.
    bool Ended() { return WaitUntil([&] { return process.state() == QProcess::NotRunning; }); }
    // Asks it to stop (SIGTERM) and waits: its exit code, -2 when it crashed, -1 on time-out.
    int Stop() {
        process.terminate();
        if (!Ended()) return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }
    // The complete lines of stdout so far.
    QStringList Lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

}  // namespace orv::test
