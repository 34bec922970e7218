#pragma once
// The settings store over QSettings: organization "Wexley Programs", application "Orv", in the
// native format (HKEY_CURRENT_USER\Software\Wexley Programs\Orv on Windows, a per-user INI file
// elsewhere), or in a named INI file (--settings FILE).
#include <QSettings>
#include <QString>
#include <memory>

#include "reception/settings_store.h"

namespace orv {

class QtSettingsStore final : public KeyValueStore {
public:
    // The user's own store.
    QtSettingsStore();
    // An INI file of the caller's choice.
    explicit QtSettingsStore(const QString& iniFile);

    std::string Read(std::string_view key, std::string_view name) const override;
    void Write(std::string_view key, std::string_view name, std::string_view value) override;

    // Where the values live (registry path or file name), for messages and --help.
    QString Location() const;
    // QSettings reports a file it could not read or write.
    bool HasError() const;

private:
    std::unique_ptr<QSettings> settings_;
};

// The user's own store, or the INI file `iniFile` when it is not empty (--settings FILE).
std::unique_ptr<QtSettingsStore> OpenSettingsStore(const QString& iniFile);

}  // namespace orv
