// The settings file: read through QSettings, written here.
#include "app/QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "session/FileIo.h"

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
    for (const QString& key : settings->allKeys()) values_[key] = AsText(settings->value(key));
}

QtSettingsStore::~QtSettingsStore() {
    if (changed_) Sync();
}

bool QtSettingsStore::Sync() {
    if (file_.isEmpty() || !QDir().mkpath(QFileInfo(file_).absolutePath())) return false;
    const QByteArray text = SettingsIniText(values_);
    // The old file is replaced only by a complete, synced new one: a full
    // disk fails here and leaves it as it was.
    if (ReplaceFileContents(QFile::encodeName(file_).toStdString(),
                            {text.constData(), static_cast<std::size_t>(text.size())}) != 0) {
        return false;
    }
    changed_ = false;
    return true;
}

std::uint32_t QtSettingsStore::ReadInt(std::string_view section, std::string_view name,
                                       std::uint32_t def) const {
    const auto it = values_.find(Key(section, name));
    if (it == values_.end()) return def;
    return ParseStoredInt(it->second.toStdString()).value_or(def);
}

std::string QtSettingsStore::ReadString(std::string_view section, std::string_view name,
                                        std::string_view def) const {
    const auto it = values_.find(Key(section, name));
    if (it == values_.end()) return std::string(def);
    return it->second.toStdString();
}

void QtSettingsStore::WriteInt(std::string_view section, std::string_view name,
                               std::uint32_t value) {
    values_[Key(section, name)] = QString::number(value);
    changed_ = true;
}

void QtSettingsStore::WriteString(std::string_view section, std::string_view name,
                                  std::string_view value) {
    values_[Key(section, name)] =
        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
    changed_ = true;
}

void QtSettingsStore::Remove(std::string_view section, std::string_view name) {
    if (values_.erase(Key(section, name)) != 0) changed_ = true;
}

std::vector<std::string> QtSettingsStore::Keys(std::string_view section) const {
    const QString prefix = section.empty() ? QString() : Key(section, "");
    std::vector<std::string> out;
    for (const auto& [key, value] : values_) {
        if (!key.startsWith(prefix)) continue;
        const QString rest = key.mid(prefix.size());
        if (!rest.isEmpty() && !rest.contains(QLatin1Char('/'))) out.push_back(rest.toStdString());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace quenlix::app
