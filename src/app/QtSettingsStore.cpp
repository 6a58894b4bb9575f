// The settings file: read through QSettings, written here.
#include "app/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "session/FileIo.h"
#include "session/FileLock.h"

namespace quenlix::app {

namespace {

QString Key(std::string_view section, std::string_view name) {
    const QString n = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (section.empty()) return n;
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) +
           QLatin1Char('/') + n;
}

// An INI value with unquoted commas reads back as a list; the store only
// knows strings, so it is joined again.
QString AsText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

constexpr char kHex[] = "0123456789ABCDEF";

bool IsAsciiLetterOrDigit(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsHexDigit(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// The escape of a character that has one of its own ("\n", "\"", ...).
const char* CharacterEscape(char16_t c) {
    switch (c) {
        case '\0': return "\\0";
        case '\a': return "\\a";
        case '\b': return "\\b";
        case '\f': return "\\f";
        case '\n': return "\\n";
        case '\r': return "\\r";
        case '\t': return "\\t";
        case '\v': return "\\v";
        case '"': return "\\\"";
        case '\\': return "\\\\";
        default: return nullptr;
    }
}

/// A key or section name as QSettings writes it: "/" as "\", letters,
/// digits, "_", "-" and "." as they are, anything else "%XX" or "%UXXXX".
void AppendEscapedKey(const QString& key, QByteArray& out) {
    for (QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == '/') {
            out += '\\';
        } else if (IsAsciiLetterOrDigit(c) || c == '_' || c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += kHex[c / 16];
            out += kHex[c % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
        }
    }
}

/// A string value as QSettings writes it: one holding a null character
/// wrapped in "@String(...)", else a leading "@" doubled; control
/// characters, quotes and backslashes escaped (a hex escape is followed by
/// no bare hex digit, which would extend it); other characters in UTF-8;
/// in double quotes when it holds ";", "," or "=" or starts or ends with a
/// blank.
void AppendEscapedValue(const QString& value, QByteArray& out) {
    QString text = value;
    if (value.contains(QChar(0))) {
        text = QStringLiteral("@String(") + value + QLatin1Char(')');
    } else if (value.startsWith(QLatin1Char('@'))) {
        text.prepend(QLatin1Char('@'));
    }
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    QString plain;  // characters written as they are, in UTF-8
    auto flushPlain = [&] {
        out += plain.toUtf8();
        plain.clear();
    };
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeNextIfHex && IsHexDigit(c)) {
            flushPlain();
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfHex = false;
        const char* escape = CharacterEscape(c);
        if (c == '\0') escapeNextIfHex = true;
        if (escape) {
            flushPlain();
            out += escape;
        } else if (c <= 0x1F) {
            flushPlain();
            out += "\\x" + QByteArray::number(c, 16);
            escapeNextIfHex = true;
        } else {
            plain += qc;
        }
    }
    flushPlain();
    if (needsQuotes || (start < out.size() && (out.at(start) == ' ' || out.endsWith(' ')))) {
        out.insert(start, '"');
        out += '"';
    }
}

}  // namespace

QByteArray SettingsIniText(const std::map<QString, QString>& values) {
    // Section (first part of the key, empty for the program's key) to the
    // rest of the key and the value.
    std::map<QString, std::map<QString, QString>> sections;
    for (const auto& [key, value] : values) {
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        if (slash <= 0) {
            sections[QString()][key] = value;
        } else {
            sections[key.left(slash)][key.mid(slash + 1)] = value;
        }
    }
    QByteArray text;
    for (const auto& [section, entries] : sections) {
        if (!text.isEmpty()) text += '\n';
        if (section.isEmpty()) {
            text += "[General]";
        } else if (section.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0) {
            text += "[%General]";  // the plain name stands for the program's key
        } else {
            text += '[';
            AppendEscapedKey(section, text);
            text += ']';
        }
        text += '\n';
        for (const auto& [key, value] : entries) {
            AppendEscapedKey(key, text);
            text += '=';
            AppendEscapedValue(value, text);
            text += '\n';
        }
    }
    return text;
}

std::optional<QtSettingsStore::Values> ReadSettingsFile(const QString& file) {
    std::string bytes;
    const int cause = ReadSmallFile(QFile::encodeName(file).toStdString(), bytes);
    if (cause == ENOENT) return QtSettingsStore::Values{};
    if (cause != 0) return std::nullopt;
    // QSettings keeps what it parsed of a file by the file's name and reads
    // it again only when its size or time stamp (to the millisecond)
    // differ, so a file another program replaced a moment ago could read
    // as it was. A copy under a name of its own is always parsed afresh.
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/quenlix-settings-XXXXXX.conf"));
    if (!copy.open() ||
        copy.write(bytes.data(), static_cast<qsizetype>(bytes.size())) !=
            static_cast<qsizetype>(bytes.size()) ||
        !copy.flush()) {
        return std::nullopt;
    }
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) return std::nullopt;
    QtSettingsStore::Values values;
    for (const QString& key : settings.allKeys()) values[key] = AsText(settings.value(key));
    return values;
}

// Organisation "Quenlix", application "Products/Telnet": the key path
// Quenlix/Products/Telnet (on Linux ~/.config/Quenlix/Products/Telnet.conf).
// Named here, not as the application's name, which also names temporary
// files and must not hold a "/".
QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                  QStringLiteral("Quenlix"),
                                                  QStringLiteral("Products/Telnet"))) {}

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings)
    : file_(settings->fileName()) {
    // Read afresh: another store of this program may have replaced the file
    // since QSettings last parsed it.
    if (std::optional<Values> values = ReadSettingsFile(file_)) {
        read_ = std::move(*values);
    } else {
        for (const QString& key : settings->allKeys()) read_[key] = AsText(settings->value(key));
    }
    base_ = read_;
}

QtSettingsStore::~QtSettingsStore() {
    if (!changes_.empty()) Sync();
}

bool QtSettingsStore::Sync(const std::function<void()>& underLock) {
    if (file_.isEmpty() || !QDir().mkpath(QFileInfo(file_).absolutePath())) return false;
    // Without the lock (a folder where it cannot be made, a holder that
    // never lets go) the merge still runs; only its read and write may then
    // interleave with another program's.
    FileLock lock;
    if (const int cause = lock.Acquire(QFile::encodeName(lockFileName()).toStdString())) {
        qWarning("Quenlix Telnet: %s cannot be locked (%s); storing without the lock",
                 qPrintable(lockFileName()), std::strerror(cause));
    }
    // What the file holds now: another program may have stored since.
    std::optional<Values> now = ReadSettingsFile(file_);
    if (!now) return false;
    read_ = std::move(*now);
    if (underLock) underLock();
    Values merged = read_;
    for (const auto& [key, value] : changes_) {
        if (value) {
            merged[key] = *value;
        } else {
            merged.erase(key);
        }
    }
    // The old file is replaced only by a complete, synced new one: a full
    // disk fails here and leaves it as it was.
    const bool same = merged == read_ && QFileInfo::exists(file_);
    if (!same) {
        const QByteArray text = SettingsIniText(merged);
        if (ReplaceFileContents(QFile::encodeName(file_).toStdString(),
                                {text.constData(), static_cast<std::size_t>(text.size())}) != 0) {
            return false;
        }
    }
    read_ = merged;
    base_ = std::move(merged);
    changes_.clear();
    return true;
}

const QString* QtSettingsStore::Find(const QString& key) const {
    if (const auto c = changes_.find(key); c != changes_.end()) {
        return c->second ? &*c->second : nullptr;
    }
    const auto r = read_.find(key);
    return r == read_.end() ? nullptr : &r->second;
}

void QtSettingsStore::Change(const QString& key, std::optional<QString> value) {
    // Setting a value back to what was read is no change: another
    // program's value stored meanwhile then stays.
    const auto b = base_.find(key);
    const std::optional<QString> was =
        b == base_.end() ? std::nullopt : std::optional<QString>(b->second);
    if (value == was) {
        changes_.erase(key);
    } else {
        changes_[key] = std::move(value);
    }
}

std::uint32_t QtSettingsStore::ReadInt(std::string_view section, std::string_view name,
                                       std::uint32_t def) const {
    const QString* v = Find(Key(section, name));
    if (!v) return def;
    return ParseStoredInt(v->toStdString()).value_or(def);
}

std::string QtSettingsStore::ReadString(std::string_view section, std::string_view name,
                                        std::string_view def) const {
    const QString* v = Find(Key(section, name));
    if (!v) return std::string(def);
    return v->toStdString();
}

void QtSettingsStore::WriteInt(std::string_view section, std::string_view name,
                               std::uint32_t value) {
    Change(Key(section, name), QString::number(value));
}

void QtSettingsStore::WriteString(std::string_view section, std::string_view name,
                                  std::string_view value) {
    Change(Key(section, name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::Remove(std::string_view section, std::string_view name) {
    const QString key = Key(section, name);
    if (Find(key)) Change(key, std::nullopt);
}

std::vector<std::string> QtSettingsStore::Keys(std::string_view section) const {
    const QString prefix = section.empty() ? QString() : Key(section, "");
    std::vector<std::string> out;
    auto consider = [&](const QString& key) {
        if (!key.startsWith(prefix) || !Find(key)) return;
        const QString rest = key.mid(prefix.size());
        if (!rest.isEmpty() && !rest.contains(QLatin1Char('/'))) out.push_back(rest.toStdString());
    };
    for (const auto& [key, value] : read_) consider(key);
    for (const auto& [key, value] : changes_) {
        if (read_.find(key) == read_.end()) consider(key);
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace quenlix::app
