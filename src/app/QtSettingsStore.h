// The per-user preference store over QSettings in the platform's native
// format (on Linux an INI file under the XDG config folder), under the
// organisation and application names main() sets.
#pragma once

#include <QSettings>
#include <memory>

#include "prefs/SettingsStore.h"

namespace quenlix::app {

class QtSettingsStore : public SettingsStore {
public:
    /// The application's own settings (organisation and application names
    /// of the QCoreApplication).
    QtSettingsStore();
    /// A store over the given settings object (tests point it at a file).
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings);

    std::uint32_t ReadInt(std::string_view section, std::string_view name,
                          std::uint32_t def) const override;
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view def) const override;
    void WriteInt(std::string_view section, std::string_view name, std::uint32_t value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void Remove(std::string_view section, std::string_view name) override;
    std::vector<std::string> Keys(std::string_view section) const override;

    /// Writes pending changes to the file now.
    void Sync() { settings_->sync(); }
    QSettings& settings() { return *settings_; }

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace quenlix::app
