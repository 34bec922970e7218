#pragma once
// Makes the driver of an input that "Raw" opens, for the settings of the moment.
#include <QString>
#include <memory>

#include "audio/audio_settings.h"
#include "inputs/block_input.h"
#include "inputs/input_table.h"
#include "iq/sdr_settings.h"
#include "reception/station_state.h"

namespace orv {

class ReceptionPipeline;

// What a driver is made from: the pipeline it feeds and the settings of the moment.
struct InputContext {
    ReceptionPipeline& pipeline;
    const StationState& state;  // the flags (a DSP-93 load suspends serial input) and settings
    QString serialDevice;       // the device --serial or the settings name
    AudioSettings audio;        // the audio source and centre frequency
    SdrSettings sdr;            // the SDR, its tuning and where the beacon is
};

// Null for the inputs that their own controls make (the relay client, KISS).
std::unique_ptr<BlockInput> MakeInput(const InputRow& row, const InputContext& context);

}  // namespace orv
