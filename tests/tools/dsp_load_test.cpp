// DSPLoad over a pseudo-terminal standing in for the DSP-93 modem.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "hex_records.h"
#include "pty.h"
#include "tools/dsp_load.h"
#include "tools/dsp_program.h"
#include "tools/dsp_transfer.h"

namespace orv {

class DspLoadTest : public QObject {
    Q_OBJECT

private:
    QString WriteFile(const QString& name, const std::string& content) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return {};
        f.write(content.data(), static_cast<qint64>(content.size()));
        return path;
    }

    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void wholeTransferReachesTheModem() {
        test::PtyPair pty;
        QVERIFY2(pty.Ok(), "no pseudo-terminal");
        const std::string input = test::TestProgram(12);
        const DspProgram program = ConvertDspProgram(input);
        QVERIFY(program.Ok());
        const QString file = WriteFile(QStringLiteral("prog.obj"), input);

        DSPLoad load;
        QSignalSpy started(&load, &DSPLoad::Started);
        QSignalSpy progress(&load, &DSPLoad::Progress);
        QSignalSpy finished(&load, &DSPLoad::Finished);
        pty.StartReading();
        QElapsedTimer timer;
        timer.start();
        QString error;
        QVERIFY2(load.Start(file, QString::fromStdString(pty.SlavePath()), &error), qPrintable(error));
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.at(0).at(0).toLongLong(), static_cast<qint64>(program.text.size()));
        QVERIFY(load.IsRunning());
        QString again;
        QVERIFY(!load.Start(file, QString::fromStdString(pty.SlavePath()), &again));  // one load at a time
        QVERIFY(!again.isEmpty());

        QVERIFY(finished.wait(120000));
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(finished.at(0).at(1).toString(), QString());
        QVERIFY(!load.IsRunning());
        const std::string received = pty.StopReading();

        // The reset command first, then exactly the converted text.
        QCOMPARE(received.substr(0, kDspResetCommand.size()), std::string(kDspResetCommand));
        QVERIFY(received == std::string(kDspResetCommand) + program.text);
        // The pacing is never shortened.
        QVERIFY2(elapsed >= DspMinimumDurationMs(program.text.size()),
                 qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
        // Progress rises from 0 to 100.
        QVERIFY(progress.count() >= 2);
        QCOMPARE(progress.first().at(0).toInt(), 0);
        QCOMPARE(progress.last().at(0).toInt(), 100);
        for (int i = 1; i < progress.count(); ++i)
            QVERIFY(progress.at(i).at(0).toInt() >= progress.at(i - 1).at(0).toInt());
    }

    void malformedFileIsNotSent() {
        const QString file = WriteFile(QStringLiteral("bad.obj"), ":0812340001020304\r\n:00000001FF\r\n");
        DSPLoad load;
        QSignalSpy started(&load, &DSPLoad::Started);
        QSignalSpy finished(&load, &DSPLoad::Finished);
        QString error;
        QVERIFY(!load.Start(file, QStringLiteral("/dev/null"), &error));
        QVERIFY2(error.contains(QStringLiteral("line 1")), qPrintable(error));
        QVERIFY(!load.IsRunning());
        QCOMPARE(started.count(), 0);
        QTest::qWait(50);
        QCOMPARE(finished.count(), 0);
    }

    void noFileOrEmptyFileIsNotSent() {
        DSPLoad load;
        QString error;
        QVERIFY(!load.Start(QString(), QStringLiteral("/dev/null"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!load.Start(WriteFile(QStringLiteral("empty.obj"), ""), QStringLiteral("/dev/null"), &error));
        QVERIFY2(error.contains(QStringLiteral("empty")), qPrintable(error));
    }

    void portThatCannotBeOpenedIsReported() {
        const QString file = WriteFile(QStringLiteral("end.obj"), test::kEndOfFileRecord);
        DSPLoad load;
        QSignalSpy finished(&load, &DSPLoad::Finished);
        QVERIFY(load.Start(file, dir_.filePath(QStringLiteral("no-such-tty"))));
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY2(finished.at(0).at(1).toString().contains(QStringLiteral("cannot open")),
                 qPrintable(finished.at(0).at(1).toString()));
    }
};

}  // namespace orv

QTEST_GUILESS_MAIN(orv::DspLoadTest)
#include "dsp_load_test.moc"
