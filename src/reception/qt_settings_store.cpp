#include "reception/qt_settings_store.h"

namespace orv {
namespace {

QString KeyPath(std::string_view key, std::string_view name) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())) + QLatin1Char('/') +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Wexley Programs"), QStringLiteral("Orv"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

std::string QtSettingsStore::Read(std::string_view key, std::string_view name) const {
    const QVariant v = settings_->value(KeyPath(key, name));
    // Every value is a string; anything else someone put into the store reads as its text form.
    if (!v.isValid()) return {};
    if (v.canConvert<QString>()) return v.toString().toStdString();
    return {};
}

void QtSettingsStore::Write(std::string_view key, std::string_view name, std::string_view value) {
    settings_->setValue(KeyPath(key, name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    settings_->sync();
}

std::unique_ptr<QtSettingsStore> OpenSettingsStore(const QString& iniFile) {
    return iniFile.isEmpty() ? std::make_unique<QtSettingsStore>() : std::make_unique<QtSettingsStore>(iniFile);
}

QString QtSettingsStore::Location() const { return settings_->fileName(); }

bool QtSettingsStore::HasError() const { return settings_->status() != QSettings::NoError; }

}  // namespace orv
