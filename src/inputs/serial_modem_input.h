#pragma once
// A modem delivering 512- or 514-byte blocks over the serial port: the bytes of each read go to
// the reception pipeline as they come. While the DSP-93 load owns the modem (`suspended`), what
// is waiting is discarded unread.
#include <QString>

#include "inputs/block_input.h"
#include "reception/serial_port.h"
#include "reception/station_state.h"

namespace orv {

class ReceptionPipeline;

class SerialModemInput : public BlockInput {
    Q_OBJECT
public:
    SerialModemInput(ReceptionPipeline& pipeline, const SerialConfig& config, const ReceptionFlags& flags,
                     QObject* parent = nullptr);
    ~SerialModemInput() override;

    bool Start(std::string& error) override;
    void Stop() override;
    bool Running() const override { return port_.IsOpen(); }
    // "/dev/ttyUSB0 at 9600 baud"
    QString Description() const override;

protected:
    // Where the bytes of one read go: the block receiver.
    virtual void Deliver(std::span<const std::uint8_t> bytes);
    ReceptionPipeline& pipeline_;

private:
    void Read(qint64 count);

    SerialConfig config_;
    const ReceptionFlags& flags_;
    SerialPort port_;
};

}  // namespace orv
