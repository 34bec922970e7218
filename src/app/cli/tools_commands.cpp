// orv-cli commands of the auxiliary tools: dsp-convert, dsp-load.
#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <memory>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "reception/qt_settings_store.h"
#include "reception/serial_port.h"
#include "reception/startup_settings.h"
#include "tools/dsp_load.h"
#include "tools/dsp_program.h"
#include "tools/dsp_transfer.h"

namespace orv::cli {
namespace {

// Records with a wrong checksum: a warning on stderr for each; true when the command goes on.
bool AcceptChecksums(const char* command, const DspProgram& program, bool ignore) {
    for (const std::string& w : program.checksumWarnings) std::cerr << "orv-cli " << command << ": warning: " << w << "\n";
    if (program.checksumWarnings.empty() || ignore) return true;
    std::cerr << "orv-cli " << command
              << ": the records get fresh checksums when converted; give --ignore-checksums to go on\n";
    return false;
}

int RunDspConvert(const CliArgs& a, int, char**) {
    const bool ignore = a.Has("--ignore-checksums");
    if (a.Rest().size() != 1) return UsageError("dsp-convert", "give one program file");
    const DspProgram program = ReadDspProgram(a.Rest()[0]);
    if (!program.Ok()) {
        std::cerr << "orv-cli dsp-convert: " << program.error << "\n";
        return 1;
    }
    if (!AcceptChecksums("dsp-convert", program, ignore)) return 1;
    if (std::fwrite(program.text.data(), 1, program.text.size(), stdout) != program.text.size() ||
        std::fflush(stdout) != 0) {
        std::cerr << "orv-cli dsp-convert: cannot write the output\n";
        return 1;
    }
    return 0;
}

// The device from --serial, else from the settings ("Serial Device", else "Com Port No.").
QString LoaderDevice(std::string& error) {
    if (!Globals().serialPath.empty()) return QString::fromStdString(Globals().serialPath);
    const auto store = OpenSettingsStore(QString::fromStdString(Globals().settingsFile));
    const StartupSettings settings = ReadStartupSettings(*store);
    if (settings.comPort <= 0 && settings.serialDevice.empty()) {
        error = "no serial port is configured; give --serial PATH";
        return {};
    }
    return SerialDevicePath(settings.comPort, QString::fromStdString(settings.serialDevice));
}

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

void DrawProgress(int percent) {
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), percent);
    std::fflush(stderr);
}

int RunDspLoad(const CliArgs& a, int argc, char** argv) {
    const bool ignore = a.Has("--ignore-checksums");
    if (a.Rest().size() != 1) return UsageError("dsp-load", "give one program file");
    const std::string file = a.Rest()[0];
    {
        const DspProgram program = ReadDspProgram(file);
        if (program.Ok() && !AcceptChecksums("dsp-load", program, ignore)) return 1;
    }
    std::string error;
    const QString device = LoaderDevice(error);
    if (device.isEmpty()) {
        std::cerr << "orv-cli dsp-load: " << error << "\n";
        return 1;
    }

    QCoreApplication app(argc, argv);
    DSPLoad load;
    const bool terminal = StderrIsTerminal();
    int exitCode = 1;
    QObject::connect(&load, &DSPLoad::Started, [&](qint64 bytes) {
        std::fprintf(stderr, "Loading %s into %s: %lld bytes, about %lld s\n", file.c_str(),
                     device.toLocal8Bit().constData(), static_cast<long long>(bytes),
                     static_cast<long long>((DspMinimumDurationMs(static_cast<std::size_t>(bytes)) + 999) / 1000));
        if (terminal) DrawProgress(0);
    });
    QObject::connect(&load, &DSPLoad::Progress, [&](int percent) {
        if (terminal) DrawProgress(percent);
    });
    QObject::connect(&load, &DSPLoad::Finished, [&](bool ok, const QString& message) {
        if (terminal) std::fputc('\n', stderr);
        if (ok) {
            std::printf("Loaded %s into %s\n", file.c_str(), device.toLocal8Bit().constData());
            exitCode = 0;
        } else {
            std::fprintf(stderr, "orv-cli dsp-load: %s\n", message.toLocal8Bit().constData());
        }
        QCoreApplication::quit();
    });
    QString reason;
    if (!load.Start(QString::fromStdString(file), device, &reason, true)) {
        std::cerr << "orv-cli dsp-load: " << reason.toStdString() << "\n";
        return 1;
    }
    app.exec();
    return exitCode;
}

}  // namespace

std::vector<CliCommand> ToolCommands() {
    return {
        {"dsp-convert", "[--ignore-checksums] FILE",
         "Write the DSP-93 text of the program FILE (Intel HEX of 16-bit words) to standard output, as it is sent "
         "after the reset command; records with a wrong checksum are listed and need --ignore-checksums.",
         {{{"ignore-checksums"}, "", "go on when records of FILE have a wrong checksum (they get fresh ones)"}},
         RunDspConvert},
        {"dsp-load", "[--serial PATH] [--ignore-checksums] FILE",
         "Load the program FILE into a DSP-93 modem on the serial device (default: the configured port); a "
         "progress bar on a terminal. Records with a wrong checksum are listed and need --ignore-checksums.",
         {SerialOption(), SettingsOption(),
          {{"ignore-checksums"}, "", "go on when records of FILE have a wrong checksum (they get fresh ones)"}},
         RunDspLoad},
    };
}

}  // namespace orv::cli
