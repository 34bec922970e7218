#include "app/cli/station_config.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace orv::cli {
namespace {

const CliOption* FindOption(const std::vector<CliOption>& options, const std::string& key) {
    for (const CliOption& o : options)
        for (const std::string& name : o.names)
            if (name == key && name.size() > 1) return &o;
    return nullptr;
}

}  // namespace

std::optional<std::vector<std::string>> ConfigArguments(const std::string& path, const std::vector<CliOption>& options,
                                                        std::string& error) {
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable()) {
        error = "cannot read the configuration file \"" + path + "\"";
        return std::nullopt;
    }
    QSettings ini(file, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) {
        error = "\"" + path + "\" is not an INI file";
        return std::nullopt;
    }
    std::vector<std::string> words;
    for (const QString& group : {QString(), QStringLiteral("station")}) {
        if (!group.isEmpty()) ini.beginGroup(group);
        const QStringList keys = ini.childKeys();
        for (const QString& key : keys) {
            const std::string name = key.toStdString();
            const CliOption* option = name == "config" ? nullptr : FindOption(options, name);
            if (option == nullptr) {
                error = "\"" + path + "\": unknown key \"" + name + "\"";
                return std::nullopt;
            }
            // A value with a comma reads as a list; it is put back together as written.
            const QVariant value = ini.value(key);
            const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(","))
                                                                          : value.toString();
            if (option->valueName.empty()) {
                const QString flag = text.trimmed().toLower();
                if (flag == "true" || flag == "yes" || flag == "on" || flag == "1") {
                    words.push_back("--" + name);
                } else if (!(flag == "false" || flag == "no" || flag == "off" || flag == "0")) {
                    error = "\"" + path + "\": " + name + " takes true or false, not \"" + text.toStdString() + "\"";
                    return std::nullopt;
                }
                continue;
            }
            words.push_back("--" + name);
            words.push_back(text.toStdString());
        }
        if (!group.isEmpty()) ini.endGroup();
    }
    return words;
}

}  // namespace orv::cli
