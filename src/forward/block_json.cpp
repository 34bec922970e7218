#include "forward/block_json.h"

#include <QJsonDocument>
#include <QString>

#include "displays/display_json.h"
#include "forward/sids_form.h"
#include "net/block_line.h"

namespace orv {
namespace {

QJsonObject Header(const ReceivedBlock& block) {
    const char kind = block.Kind();
    return {{"time", QString::fromStdString(IsoUtcText(block.utcSeconds))},
            {"kind", QString(QChar::fromLatin1(kind >= ' ' && kind < 0x7F ? kind : '?'))},
            {"verdict", QString::fromLatin1(VerdictText(block.verdict).data())}};
}

}  // namespace

QJsonObject BlockJson(const ReceivedBlock& block) {
    QJsonObject o = Header(block);
    o.insert("fec", block.fromFec);
    o.insert("live", block.live);
    o.insert("hex", QString::fromStdString(HexText(block.bytes)));
    return o;
}

bool HasTelemetry(const ReceivedBlock& block) {
    return block.Kind() == 'A' && block.verdict != CrccVerdict::Fail && block.bytes.size() >= kTelemetryBytes;
}

QJsonObject BlockTelemetryJson(const ReceivedBlock& block) {
    if (!HasTelemetry(block)) return {};
    QJsonObject o = Header(block);
    o.insert("windows", TelemetryJson(DisplayInput{block.bytes, block.bytes, false, false}));
    return o;
}

QByteArray JsonText(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

}  // namespace orv
