#pragma once
// KISS in from a file or from standard input ("-"): hands on every 512- or 514-byte data frame.
// A file is read in pieces, one per turn of the event loop, so that a large file never holds up
// the station; a pipe or terminal is read as its bytes arrive. At the end of the input Finished
// is emitted once.
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "forward/kiss.h"

class QFile;
class QSocketNotifier;

namespace orv {

class KissStreamInput : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kReadBytes = 64 * 1024;

    explicit KissStreamInput(KissBlockDeframer::BlockHandler onBlock, QObject* parent = nullptr);
    ~KissStreamInput() override;

    // Starts reading `path`, or standard input for "-". False, with the reason in `error`.
    bool Open(const QString& path, QString* error = nullptr);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    const KissBlockDeframer& Deframer() const { return deframer_; }

signals:
    // The input ended: `error` is empty at its end, else the reason reading stopped.
    void Finished(const QString& error);
    void FramesSkipped(const QString& summary);

private:
    void ReadSome();
    void End(const QString& error);

    KissBlockDeframer deframer_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QSocketNotifier> notifier_;  // pipes and terminals
    QTimer pieceTimer_;                          // regular files
    QString name_;
};

}  // namespace orv
