#include "forward/home_assistant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "forward/sids_form.h"

namespace orv {
namespace {

struct Sensor {
    const char* window;  // the display window of the telemetry message that shows the value
    const char* id;      // the field's id in that window
    const char* name;
    const char* unit;
    const char* deviceClass;
};

constexpr Sensor kSensors[] = {
    {"power", "bat_main", "Main battery voltage", "V", "voltage"},
    {"power", "bat_aux", "Auxiliary battery voltage", "V", "voltage"},
    {"power", "tot_bat", "Battery current", "A", "current"},
    {"power", "bcr1_i_sa1", "Solar array 1 current", "A", "current"},
    {"power", "bcr3_i_sa2", "Solar array 2 current", "A", "current"},
    {"power", "bcr3_i_sa3", "Solar array 3 current", "A", "current"},
    {"power", "bcr2_i_sa4", "Solar array 4 current", "A", "current"},
    {"power", "bcr2_i_sa5", "Solar array 5 current", "A", "current"},
    {"power", "bcr1_i_sa6", "Solar array 6 current", "A", "current"},
    {"temp", "main2", "Main battery temperature", "\u00B0C", "temperature"},
    {"temp", "aux1", "Auxiliary battery temperature", "\u00B0C", "temperature"},
    {"temp", "epu", "EPU temperature", "\u00B0C", "temperature"},
    {"temp", "pnl1", "Solar panel 1 temperature", "\u00B0C", "temperature"},
};

QString Text(const std::string& s) { return QString::fromStdString(s); }

// The field's "value" in the telemetry message, or None.
QString ValueTemplate(const Sensor& s) {
    return QStringLiteral(
               "{% set f = value_json.displays.%1.fields | selectattr('id', 'equalto', '%2') | first %}"
               "{{ f.value if f is defined and f.value is defined else None }}")
        .arg(QLatin1String(s.window), QLatin1String(s.id));
}

}  // namespace

std::string DiscoveryNodeId(const std::string& topicPrefix) {
    std::string id = topicPrefix;
    for (char& c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')) c = '_';
    return id;
}

std::vector<DiscoveryMessage> HomeAssistantDiscovery(const std::string& topicPrefix, const std::string& discoveryPrefix) {
    const std::string node = "orv_" + DiscoveryNodeId(topicPrefix);
    const std::string version = ProgramToken().substr(ProgramToken().find('/') + 1);
    const QJsonObject device{{"identifiers", QJsonArray{Text(node)}},
                             {"name", Text("Orv " + topicPrefix)},
                             {"manufacturer", "Orv"},
                             {"model", "AO-40 telemetry"},
                             {"sw_version", Text(version)}};
    std::vector<DiscoveryMessage> out;
    for (const Sensor& s : kSensors) {
        const std::string object = node + "_" + s.window + "_" + s.id;
        const QJsonObject config{{"name", QLatin1String(s.name)},
                                 {"unique_id", Text(object)},
                                 {"object_id", Text(object)},
                                 {"state_topic", Text(topicPrefix + "/telemetry")},
                                 {"value_template", ValueTemplate(s)},
                                 {"unit_of_measurement", QString::fromUtf8(s.unit)},
                                 {"device_class", QLatin1String(s.deviceClass)},
                                 {"state_class", "measurement"},
                                 {"availability_topic", Text(topicPrefix + "/status")},
                                 {"payload_available", "online"},
                                 {"payload_not_available", "offline"},
                                 {"device", device}};
        out.push_back({discoveryPrefix + "/sensor/" + node + "/" + s.window + "_" + s.id + "/config",
                       QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    return out;
}

}  // namespace orv
