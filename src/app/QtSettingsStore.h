// The per-user preference store: the platform's native settings file (on
// Linux an INI file under the XDG config folder, ~/.config/Quenlix/Products/
// Telnet.conf), read through QSettings and written by the store itself.
//
// QSettings's own writer cannot be trusted with the file: when a write of
// its temporary file fails part-way (a full disk), it still renames the
// truncated file over the old one. So the store keeps the values in memory
// and writes the file in QSettings's INI form itself, checking every write
// and the flush to disk before the new file replaces the old.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <map>
#include <memory>

#include "prefs/SettingsStore.h"

namespace quenlix::app {

class QtSettingsStore : public SettingsStore {
public:
    /// The application's own settings: organisation "Quenlix", application
    /// "Products/Telnet", user scope.
    QtSettingsStore();
    /// The values of the given settings object's file, stored back to that
    /// file (tests point it at a file of their own).
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings);
    /// Stores values changed since the last Sync, as QSettings does.
    ~QtSettingsStore() override;

    std::uint32_t ReadInt(std::string_view section, std::string_view name,
                          std::uint32_t def) const override;
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view def) const override;
    void WriteInt(std::string_view section, std::string_view name, std::uint32_t value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void Remove(std::string_view section, std::string_view name) override;
    std::vector<std::string> Keys(std::string_view section) const override;

    /// Writes every value to the file now: a temporary file beside it,
    /// flushed to disk, then renamed over it. False when any step fails (a
    /// folder that may not be written, a full disk); the old file is then
    /// as it was and nothing is left beside it.
    bool Sync();
    /// The file the values live in.
    const QString& fileName() const { return file_; }

private:
    QString file_;
    /// Every value by its full key ("Section/Sub/name"; a bare name for the
    /// program's key itself), as text.
    std::map<QString, QString> values_;
    bool changed_ = false;
};

/// The INI text QSettings reads `values` back from exactly: the program's
/// own values in "[General]", the others in a section named by the first
/// part of their key, with QSettings's escapes for keys and values.
QByteArray SettingsIniText(const std::map<QString, QString>& values);

}  // namespace quenlix::app
