// orv: the desktop program.
#include <QApplication>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command_line_text.h"

#include "reception/clock.h"
#include "reception/qt_settings_store.h"
#include "station/demo_station.h"
#include "station/forwarding.h"
#include "station/station.h"
#include "ui/desktop_program.h"
#include "ui/hint_timing.h"
#include "ui/user_messages.h"

namespace {

// The options of orv, for the parser, --help and the man page.
orv::cli::CliPage DesktopPage() {
    return {"orv",
            "[OPTIONS]",
            "AO-40 telemetry ground station with windows. Reception from a serial modem or another station, "
            "logging, replay, the display windows, export, the TCP/UDP relay and the DSP-93 loader, for AO-40 and "
            "the QO-100 beacon's 400-baud format. The user guide is in the Help menu.",
            {{{"settings"}, "FILE", "keep the settings in FILE (INI) instead of the user's store"},
             {{"serial"}, "PATH", "the serial device, overriding the \"Com Port No.\" setting"},
             {{"demo"}, "", "run on a built-in simulated station, with a throw-away data directory and settings"},
             {{"modem"}, "TYPE", "the modem of the demo: 512, 514 (default) or ADC"},
             {{"h", "help"}, "", "show this help and exit"},
             {{"V", "version"}, "", "print the version and exit"},
             {{"manpage"}, "", "print the man page (roff) and exit", true}}};
}

// Why the windows cannot be shown, or empty. Qt aborts when its platform has no display, so it is
// asked first: a platform named in QT_QPA_PLATFORM (offscreen, a test's) is taken as it is; else
// a Wayland or X display must be named, and a local X display must have its socket.
std::string NoDisplayReason() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("QT_QPA_PLATFORM") || set("WAYLAND_DISPLAY")) return {};
    if (!set("DISPLAY")) return "no display was found (DISPLAY and WAYLAND_DISPLAY are unset)";
    const std::string display = std::getenv("DISPLAY");
    const std::string local = display.starts_with("unix:") ? display.substr(4) : display;
    if (!local.starts_with(":")) return {};  // a display over the network: Qt is left to try it
    const std::string number = local.substr(1, local.find('.') == std::string::npos ? std::string::npos : local.find('.') - 1);
    const std::string socket = "/tmp/.X11-unix/X" + number;
    if (access(socket.c_str(), F_OK) == 0) return {};
    return "no display was found (DISPLAY=" + display + " has no X server)";
}

}  // namespace

int main(int argc, char** argv) {
    // Help, version and the man page need no display, so they are answered before the
    // application object exists.
    const orv::cli::CliPage page = DesktopPage();
    const std::vector<std::string> words(argv + 1, argv + argc);
    std::string error;
    const auto args = orv::cli::CliArgs::Parse(page.options, words, error);
    if (orv::cli::AsksForHelp(words)) {
        std::fputs(orv::cli::HelpText(page).c_str(), stdout);
        return 0;
    }
    if (!args) {
        std::fprintf(stderr, "orv: %s (see orv --help)\n", error.c_str());
        return 2;
    }
    if (args->Has("--version")) {
        std::printf("orv %s\n", ORV_VERSION);
        return 0;
    }
    if (args->Has("--manpage")) {
        std::fputs(orv::cli::ManPage("orv", ORV_VERSION, ORV_RELEASE_DATE, page, {},
                                     {{"FILES", "The settings are kept in the user's Qt settings store unless --settings "
                                                "names an INI file; telemetry logs are written to the \"telemetry\" "
                                                "folder of the data directory chosen in Setup."},
                                      {"SEE ALSO", "orv-cli(1)"}})
                       .c_str(),
                   stdout);
        return 0;
    }
    if (!args->Rest().empty()) {
        std::fprintf(stderr, "orv: unexpected argument \"%s\" (see orv --help)\n", args->Rest().front().c_str());
        return 2;
    }

    if (const std::string reason = NoDisplayReason(); !reason.empty()) {
        std::fprintf(stderr,
                     "orv: %s. Without one, \"orv-cli demo\" runs the demo and \"orv-cli station\" runs the "
                     "station.\n",
                     reason.c_str());
        return 1;
    }
    Q_INIT_RESOURCE(guide);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orv"));
    QApplication::setApplicationVersion(QStringLiteral(ORV_VERSION));
    orv::InstallHintTiming(app);
    const auto value = [&](const char* option) { return QString::fromStdString(args->Value(option).value_or("")); };

    std::unique_ptr<orv::DemoStation> demo;
    if (args->Has("--demo")) {
        const auto modem = orv::DemoModemType(args->Value("--modem") ? value("--modem") : QStringLiteral("514"));
        if (!modem) {
            std::fprintf(stderr, "orv: --modem takes 512, 514 or ADC\n");
            return 2;
        }
        demo = std::make_unique<orv::DemoStation>(*modem);
        if (!demo->Error().isEmpty()) {
            std::fprintf(stderr, "orv: the demo cannot start: %s\n", qPrintable(demo->Error()));
            return 1;
        }
    }
    std::unique_ptr<orv::QtSettingsStore> store;
    if (!demo)
        store = orv::OpenSettingsStore(value("--settings"));
    orv::SystemClock clock;
    orv::QtUserMessages messages;
    orv::Station station(demo ? demo->Store() : *store, clock);
    if (args->Has("--serial")) station.SetSerialOverride(value("--serial"));
    orv::DesktopProgram program(station, messages);
    program.mainWindow.show();
    if (demo) {
        // Simulated blocks are never submitted anywhere as received.
        station.SetSimulated(true);
        // The demo station receives through its real serial path, a pseudo-terminal.
        station.SetSerialOverride(demo->SerialDevice());
        program.mainWindow.SelectTextClick(orv::TextSelection::Raw);
        if (!demo->Start()) {
            std::fprintf(stderr, "orv: the demo cannot start: %s\n", qPrintable(demo->Error()));
            return 1;
        }
        std::fprintf(stderr, "orv: %s\n", qPrintable(demo->StartNote()));
        program.mainWindow.setWindowTitle(QStringLiteral("Orv demo"));
        program.mainWindow.ShowFeedback(demo->StartNote());
    }
    const int code = QApplication::exec();
    if (demo) std::fprintf(stderr, "orv: %s\n", qPrintable(demo->Finish()));
    return code;
}
