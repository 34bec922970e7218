#pragma once
// KISS in: another decoder's blocks (gr-satellites, direwolf, another Orv's KISS out) over TCP
// from a KISS server, reconnecting after a lost link or a failed attempt, or from a file or
// standard input ("-"). Every data frame of 512 or 514 bytes goes to the reception pipeline as a
// whole block, and the 256 data bytes of an FEC frame as the block this station's FEC decoder
// rebuilds from them. A timestamp frame gives the next data frame its time. Blocks from a server
// are this station's live reception; blocks from a file or standard input only when they carry
// their time (an old recording without times is never shared as today's reception). Other frames
// are skipped and counted: the first that points to a wrong feed (a size that is no block, a
// broken escape) is told at once, everything in one summary line at the end of a file
// (NewSkipsSummary when the station stops or hangs up). A frame cut off by a lost link is
// dropped, never joined to the next one.
//
// A file is read in pieces, one per turn of the event loop, so that a large file never holds up
// the station; a pipe or terminal is read as its bytes arrive. Ended follows the end of a file or
// of standard input once (with an empty reason at a normal end).
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "forward/kiss.h"
#include "forward/status_level.h"
#include "inputs/block_input.h"
#include "inputs/tcp_link.h"

class QFile;
class QSocketNotifier;

namespace orv {

class ReceptionPipeline;

class KissInput final : public BlockInput {
    Q_OBJECT
public:
    static constexpr qint64 kReadBytes = 64 * 1024;
    static constexpr int kReconnectSeconds = 5;

    explicit KissInput(ReceptionPipeline& pipeline, QObject* parent = nullptr);
    ~KissInput() override;

    // Reads `path`, or standard input for "-". False, with the reason in `error`.
    bool OpenStream(const QString& path, QString* error = nullptr);
    // Connects to a KISS server and keeps reconnecting (every kReconnectSeconds; 0: give up).
    void ConnectTo(const QString& host, std::uint16_t port, int reconnectSeconds = kReconnectSeconds);

    // BlockInput: Start reopens the stream or server last given.
    bool Start(std::string& error) override;
    void Stop() override;
    bool Running() const override;
    // "\"FILE\"", "standard input" or "HOST:PORT"
    QString Description() const override;

    bool IsConnected() const { return link_.IsConnected(); }
    const KissBlockDeframer& Deframer() const { return deframer_; }
    // "KISS input: skipped ..." (KissSkipsText) for every frame skipped so far; empty when none.
    QString SkipsSummary() const;
    // The same once for each count: empty when nothing was skipped since the last summary given
    // (here or at the end of the stream).
    QString NewSkipsSummary();
    // How much one of this input's Status lines matters: skipped frames and a link that is tried
    // again are warnings, the rest status.
    static StatusLevel LevelOf(const QString& status);

private:
    void Data(const KissData& data);
    void Fed(std::span<const std::uint8_t> bytes);
    void ReadSome();
    void End(const QString& error);
    void CloseStream();

    ReceptionPipeline& pipeline_;
    KissBlockDeframer deframer_;
    bool faultTold_ = false;
    std::uint64_t skipsSummed_ = 0;  // frames the last summary counted
    // From a file or standard input.
    QString path_;
    QString name_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QSocketNotifier> notifier_;  // pipes and terminals
    QTimer pieceTimer_;                          // regular files
    // From a KISS server.
    TcpLink link_;
};

}  // namespace orv
