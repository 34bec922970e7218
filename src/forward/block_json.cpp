#include "forward/block_json.h"

#include <QJsonDocument>
#include <QString>

#include "forward/display_json.h"
#include "forward/sids_form.h"
#include "reception/dates.h"

namespace orv {
namespace {

QString Latin1(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

QJsonObject TimeAndKind(ConstBytes block, std::int64_t utcSeconds) {
    const char kind = BlockId(block);
    return {{"time", QString::fromStdString(IsoUtcText(utcSeconds))},
            {"kind", kind > ' ' && kind < 0x7F ? QString(QChar::fromLatin1(kind))
                                               : QString::number(static_cast<unsigned char>(kind))}};
}

}  // namespace

QJsonObject BlockJson(const ReceivedBlock& block) {
    QJsonObject o = TimeAndKind(block.bytes, block.UtcSeconds());
    o.insert("verdict", Latin1(VerdictText(block.verdict)));
    o.insert("fec", block.fecData.has_value());
    o.insert("live", block.live);
    o.insert("hex", QString::fromStdString(HexText(block.bytes)));
    return o;
}

QJsonObject BlockTelemetryJson(ConstBytes block, std::string_view verdict, std::int64_t utcSeconds) {
    QJsonObject o = TimeAndKind(block, utcSeconds);
    o.insert("crcc", Latin1(verdict));
    if (BlockId(block) == 'A') {
        o.insert("header_time", QString::fromStdString(HeaderTimeText(block)));
        o.insert("displays", DisplaysJson(DisplayInput{block, block, false, false}));
    }
    return o;
}

bool HasTelemetry(const ReceivedBlock& block) {
    return block.Kind() == 'A' && block.verdict != CrccVerdict::Fail && block.bytes.size() >= kTelemetryBytes;
}

QJsonObject BlockTelemetryJson(const ReceivedBlock& block) {
    if (!HasTelemetry(block)) return {};
    QJsonObject o = BlockTelemetryJson(block.bytes, VerdictText(block.verdict), block.UtcSeconds());
    o.insert("live", block.live);
    return o;
}

QByteArray JsonText(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

}  // namespace orv
