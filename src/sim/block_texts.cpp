#include "sim/block_texts.h"

#include <cstdio>
#include <vector>

namespace orv::sim {
namespace {

// Bulletins of one kind: each page is the title and seven lines of text.
struct Bulletin {
    const char* title;
    std::array<const char*, 7> lines;
};

const Bulletin kNews[] = {
    {"NEWS FROM THE COMMAND TEAM",
     {"THE SPIN AXIS TRIM CAMPAIGN GOES ON. THE MAGNETORQUER FIRES",
      "AROUND EVERY PERIGEE AND THE ATTITUDE IS NOW WITHIN TWO DEGREES",
      "OF THE TARGET. BATTERY AND BUS VOLTAGES ARE NOMINAL AND THE",
      "THERMAL BALANCE IS STABLE. THANKS TO ALL STATIONS WHO SENT",
      "TELEMETRY LOGS LAST WEEK - THEY FILL THE GAPS WHEN THE COMMAND",
      "STATIONS ARE OUT OF VIEW.", "                              73 DE THE COMMAND TEAM"}},
    {"NEWS FROM THE COMMAND TEAM",
     {"A NEW SET OF TEXT BLOCKS WAS UPLOADED TODAY. K BLOCKS CARRY THE",
      "OPERATING SCHEDULE, L AND M BLOCKS THE NEWS AND NOTES, N BLOCKS",
      "A WORD FOR NEW STATIONS. E BLOCKS REPEAT THE LAST SIXTEEN EVENTS",
      "IN TURN, SO A STATION THAT LOGS FOR HALF AN HOUR CAPTURES THE",
      "WHOLE EVENT BUFFER.", "", "                              73 DE THE COMMAND TEAM"}},
    {"NEWS FROM THE COMMAND TEAM",
     {"THE S2 TRANSMITTER HAS BEEN STEADY FOR THREE MONTHS. PLEASE KEEP",
      "YOUR UPLINK POWER LOW: A SIGNAL STRONGER THAN THE MIDDLE BEACON",
      "MEANS TOO MUCH POWER. THE LEILA COUNTER IN THE A BLOCKS SHOWS",
      "HOW OFTEN THE LIMITER HAD TO ACT ON AN OVERLOADING STATION.",
      "THE GPS EXPERIMENT RUNS AROUND PERIGEE; ITS RESULTS WILL BE",
      "PUBLISHED IN THE NEXT JOURNAL.", "                              73 DE THE COMMAND TEAM"}},
};

const Bulletin kNotes[] = {
    {"TELEMETRY NOTES",
     {"THE A BLOCK CARRIES ITS ANALOG AND DIGITAL CHANNELS IN THE",
      "SECOND HALF, ADDRESSES #100 TO #1FF. THE FIRST LINE GIVES THE",
      "DATE, THE TIME IN UTC AND THE COMMAND COUNTER. ORBIT NUMBER AND",
      "MEAN ANOMALY ARE AT #1A6/#1A7 AND #1A5, THE EVENT POINTER AT",
      "#1DE/#1DF. PLEASE KEEP BLOCKS WITH A BAD CRCC IN YOUR LOG FILES,",
      "MARKED AS THEY ARE - THEY HELP THE LINK STATISTICS.", ""}},
    {"TELEMETRY NOTES",
     {"TEMPERATURES: THE SOLAR PANELS WARM BY ABOUT TEN DEGREES NEAR",
      "PERIGEE, THE S2 TRANSMITTER BY SEVEN WHEN THE TRANSPONDER IS ON.",
      "BATTERIES STAY BETWEEN 15 AND 19 C. THE MAIN BATTERY CHARGES",
      "WHILE ONLY THE BEACON RUNS AND GIVES A LITTLE DURING TRANSPONDER",
      "HOURS; THE TOTAL BATTERY CURRENT AT #106 SHOWS THE BALANCE.",
      "THE MOMENTUM WHEELS ARE OFF WHILE THE SPACECRAFT SPINS.", ""}},
    {"TELEMETRY NOTES",
     {"EVENT BLOCKS: EACH E BLOCK HOLDS ONE EVENT WITH ITS NUMBER AT",
      "ADDRESSES 135 TO 138 AND A COPY OF THE TELEMETRY AT THAT MOMENT.",
      "THE EVENT POINTER IN THE A BLOCKS NAMES THE NEWEST EVENT. A",
      "STATION THAT LOGS ALL BLOCKS CAN FILL ITS EVENT GRID FROM THE",
      "REPEATS; SLOTS THE SPACECRAFT HAS MOVED PAST ARE CLEARED.", "", ""}},
};

const Bulletin kNewcomers[] = {
    {"FOR NEW STATIONS",
     {"WELCOME. THE MIDDLE BEACON SENDS ONE 512 BYTE BLOCK ABOUT EVERY",
      "TEN SECONDS AT 400 BIT/S. MOST BLOCKS ARE A BLOCKS WITH THE",
      "TELEMETRY, E BLOCKS REPEAT THE EVENT BUFFER, K TO N BLOCKS ARE",
      "TEXT LIKE THIS PAGE. A PSK DEMODULATOR AND A SERIAL PORT ARE ALL",
      "YOU NEED TO START. LOG EVERYTHING, EVEN THE BAD BLOCKS.", "",
      "                              73 DE THE COMMAND TEAM"}},
    {"FOR NEW STATIONS",
     {"IF YOUR BLOCKS FAIL THE CRCC MOST OF THE TIME, CHECK THE TUNING",
      "FIRST: THE BEACON DRIFTS WITH DOPPLER, MOST NEAR PERIGEE. THEN",
      "CHECK THE SERIAL SETTINGS: 8 DATA BITS, NO PARITY, ONE STOP BIT.",
      "A BLOCK THAT ARRIVES WITHOUT A PAUSE BEFORE IT IS CUT IN THE",
      "WRONG PLACE AND FAILS TOO.", "",
      "                              73 DE THE COMMAND TEAM"}},
};

std::string Padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// The first line of a page: kind letter, title, and "SIMULATED" at the right edge.
std::string TitleLine(char kind, const char* title) {
    return Padded(std::string(1, kind) + "  " + title, kLineWidth - 9) + "SIMULATED";
}

TextPage PageOf(char kind, const char* title, const std::array<const char*, 7>& lines) {
    TextPage page;
    page[0] = TitleLine(kind, title);
    for (std::size_t i = 0; i < lines.size(); ++i) page[i + 1] = lines[i];
    return page;
}

template <std::size_t N>
const Bulletin& Pick(const Bulletin (&list)[N], std::int64_t orbit, std::uint64_t seed) {
    const auto n = static_cast<std::int64_t>(N);
    return list[static_cast<std::size_t>(((orbit + static_cast<std::int64_t>(seed % N)) % n + n) % n)];
}

TextPage SchedulePage() {
    TextPage page;
    page[0] = TitleLine('K', "AO-40 OPERATING SCHEDULE");
    page[1] = "ALL TIMES IN MEAN ANOMALY (MA 0-255), PERIGEE AT MA 0.";
    std::size_t row = 2;
    for (const auto& e : Schedule()) {
        char line[80];
        std::snprintf(line, sizeof line, "MA %03d-%03d  %s", e.fromMa, e.toMa, e.what);
        page[row++] = line;
    }
    page[row++] = "MIDDLE BEACON ON S2 THE WHOLE ORBIT, 400 BIT/S PSK.";
    page[row++] = "SPIN MODE, ABOUT 5 RPM. KEEP UPLINK POWER LOW (SEE LEILA).";
    page[row] = "                              73 DE THE COMMAND TEAM";
    return page;
}

}  // namespace

TextPage TextBlockPage(char kind, std::int64_t orbit, std::uint64_t seed) {
    switch (kind) {
        case 'K': return SchedulePage();
        case 'L': {
            const auto& b = Pick(kNews, orbit, seed);
            return PageOf('L', b.title, b.lines);
        }
        case 'M': {
            const auto& b = Pick(kNotes, orbit, seed);
            return PageOf('M', b.title, b.lines);
        }
        default: {
            const auto& b = Pick(kNewcomers, orbit, seed);
            return PageOf('N', b.title, b.lines);
        }
    }
}

std::string ModeLine(const SpacecraftState& state) {
    const auto& transponder = Schedule()[0];
    char line[80];
    if (state.transponder)
        std::snprintf(line, sizeof line, "MA %03d: %s UNTIL MA %03d", state.position.ma, transponder.what,
                      transponder.toMa);
    else
        std::snprintf(line, sizeof line, "MA %03d: BEACON ONLY, TRANSPONDER FROM MA %03d", state.position.ma,
                      transponder.fromMa);
    return line;
}

std::string NewsLine(std::int64_t index) {
    static const char* const kItems[] = {
        "QST: TEXT BLOCKS K TO N CARRY THE SCHEDULE AND THE LATEST NEWS.",
        "PLEASE KEEP UPLINK POWER BELOW THE MIDDLE BEACON LEVEL.",
        "SPIN AXIS TRIM CONTINUES AROUND PERIGEE. ALL SYSTEMS NOMINAL.",
        "SEND YOUR TELEMETRY LOGS TO YOUR AREA COORDINATOR. THANK YOU!",
        "E BLOCKS REPEAT THE LAST SIXTEEN EVENTS IN TURN.",
    };
    constexpr auto n = static_cast<std::int64_t>(std::size(kItems));
    return kItems[static_cast<std::size_t>((index % n + n) % n)];
}

}  // namespace orv::sim
