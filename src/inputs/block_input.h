#pragma once
// An input of the station: one driver per kind of source (a serial modem, a DSP-93 in ADC mode,
// audio, another Orv's relay server, KISS). A driver reads its source and feeds what it gets to
// the station's reception pipeline (bytes, ADC samples, relay bytes or whole blocks); everything
// after that is the pipeline's. The station starts and stops drivers through InputArbiter and
// the input table (input_table.h).
#include <QObject>
#include <QString>
#include <string>

namespace orv {

class BlockInput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the source and starts delivering; false with the reason for the operator when the
    // source cannot be opened or its settings do not work.
    virtual bool Start(std::string& error) = 0;
    // Stops delivering and closes the source. Nothing is reported.
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
    // What the source is, for status lines: "/dev/ttyUSB0 at 9600 baud", "UDP port 7355 at 48000 Hz".
    virtual QString Description() const = 0;

signals:
    // A status line for the operator (a link made or lost, overruns, a stream that stopped).
    void Status(const QString& text);
    // The source ended for good: the end of a file or of standard input (`reason` says which,
    // and why when reading failed), a sound card that stopped.
    void Ended(const QString& reason);
    // The device failed or went away while open; the input has stopped.
    void Lost(const QString& reason);
};

}  // namespace orv
