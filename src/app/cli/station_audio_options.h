#pragma once
// The audio input options of orv-cli station: --audio-file F | --audio-udp PORT [--rate HZ] |
// --audio-stdin --rate HZ | --audio-device NAME, each with [--center HZ] [--search HZ]; and the
// SDR input's: --rtl-tcp HOST:PORT | --sdr ARGS | --iq-file F, each with --frequency HZ (required
// live) [--offset HZ] [--search HZ] [--sdr-rate HZ] [--gain DB|auto] [--ppm N].
#include <optional>
#include <string>

#include "app/cli/cli_args.h"
#include "audio/audio_settings.h"
#include "iq/sdr_settings.h"

namespace orv::cli {

// Reads the options from `a`. `audio` stays empty when no audio source was given; false with
// `error` for the operator when the options do not fit together or a value is not usable.
bool TakeStationAudioOptions(const CliArgs& a, std::optional<AudioSettings>& audio, std::string& error);
// The same for the SDR input: `sdr` stays empty when no SDR was given.
bool TakeStationSdrOptions(const CliArgs& a, std::optional<SdrSettings>& sdr, std::string& error);

}  // namespace orv::cli
