#include "app/cli/station_json.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "app/cli/display_json.h"
#include "net/block_line.h"

namespace orv::cli {

std::string StationBlockJson(ConstBytes block, const std::string& verdict, std::int64_t utcSeconds) {
    const char id = BlockId(block);
    QJsonObject o{{"time", QString::fromStdString(IsoUtcText(utcSeconds))},
                  {"kind", id > ' ' && id < 0x7F ? QString(QChar(id)) : QString::number(static_cast<unsigned char>(id))},
                  {"crcc", QString::fromStdString(verdict)}};
    if (id == 'A') {
        o.insert("header_time", QString::fromStdString(HeaderTimeText(block)));
        o.insert("displays", DisplaysJson(DisplayInput{block, block, false, false}));
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace orv::cli
