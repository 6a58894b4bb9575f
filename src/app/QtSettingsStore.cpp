// QSettings behind the store interface.
#include "app/QtSettingsStore.h"

#include <algorithm>

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
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

}  // namespace

// Organisation "Quenlix", application "Products/Telnet": the key path
// Quenlix/Products/Telnet (on Linux ~/.config/Quenlix/Products/Telnet.conf).
// Named here, not as the application's name, which also names temporary
// files and must not hold a "/".
QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Quenlix"),
                                            QStringLiteral("Products/Telnet"))) {}

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}

std::uint32_t QtSettingsStore::ReadInt(std::string_view section, std::string_view name,
                                       std::uint32_t def) const {
    const QVariant value = settings_->value(Key(section, name));
    if (!value.isValid()) return def;
    return ParseStoredInt(AsText(value).toStdString()).value_or(def);
}

std::string QtSettingsStore::ReadString(std::string_view section, std::string_view name,
                                        std::string_view def) const {
    const QVariant value = settings_->value(Key(section, name));
    if (!value.isValid()) return std::string(def);
    return AsText(value).toStdString();
}

void QtSettingsStore::WriteInt(std::string_view section, std::string_view name,
                               std::uint32_t value) {
    settings_->setValue(Key(section, name), static_cast<quint32>(value));
}

void QtSettingsStore::WriteString(std::string_view section, std::string_view name,
                                  std::string_view value) {
    settings_->setValue(Key(section, name),
                        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::Remove(std::string_view section, std::string_view name) {
    settings_->remove(Key(section, name));
}

std::vector<std::string> QtSettingsStore::Keys(std::string_view section) const {
    std::vector<std::string> out;
    if (!section.empty()) {
        settings_->beginGroup(QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())));
    }
    for (const QString& k : settings_->childKeys()) out.push_back(k.toStdString());
    if (!section.empty()) settings_->endGroup();
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace quenlix::app
