// The per-user preference store: the platform's native settings file (on
// Linux an INI file under the XDG config folder, ~/.config/Quenlix/Products/
// Telnet.conf), read through QSettings and written by the store itself.
//
// QSettings's own writer cannot be trusted with the file: when a write of
// its temporary file fails part-way (a full disk), it still renames the
// truncated file over the old one. So the store keeps the values in memory
// and writes the file in QSettings's INI form itself, checking every write
// and the flush to disk before the new file replaces the old.
//
// Two programs (two sessions in two windows) share the file. Each store
// remembers what it read and which values its program changed against
// that; storing takes a lock, reads the file again and lays only those
// changes over what is there now, so one program's close never undoes
// what the other stored.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

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

    /// Values by their full key ("Section/Sub/name"; a bare name for the
    /// program's key itself), as text.
    using Values = std::map<QString, QString>;

    std::uint32_t ReadInt(std::string_view section, std::string_view name,
                          std::uint32_t def) const override;
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view def) const override;
    void WriteInt(std::string_view section, std::string_view name, std::uint32_t value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void Remove(std::string_view section, std::string_view name) override;
    std::vector<std::string> Keys(std::string_view section) const override;

    /// Stores this program's changes. Under an exclusive lock on the lock
    /// file beside the settings file (lockFileName()), the file is read
    /// again; `underLock`, when given, runs next and may read those fresh
    /// values and write (a merge of its own); then the values this store
    /// changed since it read the file (written with another value than the
    /// one read, or removed) are laid over the file's values, and the
    /// result replaces the file: a temporary file beside it, flushed to
    /// disk, renamed over it. Values this store did not change keep what
    /// the file holds now. False when any step fails (a file that cannot be
    /// read back, a folder that may not be written, a full disk); the old
    /// file is then as it was, nothing but the lock file is left beside it,
    /// and the changes stay to be stored by a later Sync.
    bool Sync(const std::function<void()>& underLock = {});
    /// The file the values live in, and its lock file.
    const QString& fileName() const { return file_; }
    QString lockFileName() const { return file_ + QStringLiteral(".lock"); }
    /// Whether values were changed since the file was last read or written.
    bool hasChanges() const { return !changes_.empty(); }

private:
    /// The value a read sees: this program's change, else the file's.
    const QString* Find(const QString& key) const;
    /// Records a write (a value) or a removal (none) against the value read.
    void Change(const QString& key, std::optional<QString> value);

    QString file_;
    /// The file's values as last read (at start, and again by each Sync).
    Values read_;
    /// What changes are measured against: the file as read at start, then
    /// as this store last wrote it.
    Values base_;
    /// This program's changes: a new value, or none for a removed one.
    std::map<QString, std::optional<QString>> changes_;
};

/// The values of an INI settings file as QSettings reads them, read afresh
/// from the file's bytes now (QSettings itself may hand back what it read
/// of the same file earlier in the run). Empty values for a missing file;
/// none when the file exists but cannot be read.
std::optional<QtSettingsStore::Values> ReadSettingsFile(const QString& file);

/// The INI text QSettings reads `values` back from exactly: the program's
/// own values in "[General]", the others in a section named by the first
/// part of their key, with QSettings's escapes for keys and values.
QByteArray SettingsIniText(const std::map<QString, QString>& values);

}  // namespace quenlix::app
