// The Keyboard Mapping dialog.
#include "app/CDlgKeyMapping.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>

#include "app/KeyTranslator.h"
#include "input/KeyMapStore.h"

namespace quenlix::app {

namespace {

constexpr int kKeyRole = Qt::UserRole;       // the chord's name on a key row
constexpr int kFunctionRole = Qt::UserRole + 1;
constexpr int kMacroRole = Qt::UserRole + 2;  // the macro's name on a macro row and its keys

QString GroupTitle(KeyFunctionGroup g) {
    switch (g) {
        case KeyFunctionGroup::kAttention: return QStringLiteral("Attention keys");
        case KeyFunctionGroup::kCursor: return QStringLiteral("Cursor movement");
        case KeyFunctionGroup::kEditing: return QStringLiteral("Field editing");
    }
    return {};
}

/// A user map's name from the session's: letters, digits, '-' and '_'.
std::string UserMapName(const std::string& sessionName) {
    std::string out;
    for (const char c : sessionName) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_';
        if (plain && out.size() < 40) out += c;
    }
    return out.empty() || BuiltInKeyMapByName(out) ? "my-keys" : out;
}

QString Joined(const std::vector<std::string>& lines) {
    QString text;
    for (const std::string& l : lines) text += QStringLiteral("\n") + QString::fromStdString(l);
    return text;
}

}  // namespace

CDlgKeyMapping::CDlgKeyMapping(KeyMap map, std::string mapName, const std::string& sessionName,
                               QWidget* parent)
    : QDialog(parent), map_(std::move(map)), name_(std::move(mapName)) {
    setWindowTitle(QStringLiteral("Keyboard Mapping"));
    const bool userMap = !name_.empty() && !BuiltInKeyMapByName(name_) &&
                         name_.find('/') == std::string::npos && !name_.ends_with(".keymap");
    userName_ = userMap ? name_ : UserMapName(sessionName);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Map for this session:"), this));
    choice_ = new QComboBox(this);
    top->addWidget(choice_, 1);
    layout->addLayout(top);

    tree_ = new QTreeWidget(this);
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({QStringLiteral("Function"), QStringLiteral("Keys")});
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->setMinimumSize(560, 420);
    layout->addWidget(tree_, 1);

    auto* buttons = new QHBoxLayout;
    add_ = new QPushButton(QStringLiteral("&Add key..."), this);
    remove_ = new QPushButton(QStringLiteral("&Remove"), this);
    auto* reset = new QPushButton(QStringLiteral("Reset &to..."), this);
    auto* import = new QPushButton(QStringLiteral("&Import..."), this);
    auto* exportButton = new QPushButton(QStringLiteral("&Export..."), this);
    auto* resetMenu = new QMenu(reset);
    for (const BuiltInKeyMapInfo& m : BuiltInKeyMaps()) {
        const BuiltInKeyMap id = m.id;
        resetMenu->addAction(QString::fromUtf8(m.title.data(), static_cast<int>(m.title.size())),
                             this, [this, id] { ResetTo(id); });
    }
    reset->setMenu(resetMenu);
    for (QPushButton* b : {add_, remove_, reset, import, exportButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(close);

    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    connect(add_, &QPushButton::clicked, this, &CDlgKeyMapping::AddKeyClicked);
    connect(remove_, &QPushButton::clicked, this, &CDlgKeyMapping::RemoveClicked);
    connect(import, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Import Keyboard Map"), QString(),
            QStringLiteral("Keyboard maps (*.keymap);;All files (*)"));
        if (!path.isEmpty()) Import(path.toStdString());
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export Keyboard Map"), QString::fromStdString(userName_ + ".keymap"),
            QStringLiteral("Keyboard maps (*.keymap);;All files (*)"));
        if (!path.isEmpty()) Export(path.toStdString());
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        add_->setEnabled(SelectedFunction().has_value() || SelectedMacro().has_value());
        remove_->setEnabled(SelectedKey().has_value());
    });
    connect(choice_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        ChooseMap(choice_->itemData(index).toString().toStdString());
    });
    captureKey = [this](const QString& function) -> std::optional<KeyChord> {
        KeyCaptureDialog capture(function, this);
        if (capture.exec() != QDialog::Accepted) return std::nullopt;
        return capture.chord();
    };
    warn = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Keyboard Mapping"), text);
    };
    FillChoice();
    Fill();
}

void CDlgKeyMapping::Warn(const QString& text) {
    if (warn) warn(text);
}

void CDlgKeyMapping::FillChoice() {
    filling_ = true;
    choice_->clear();
    for (const BuiltInKeyMapInfo& m : BuiltInKeyMaps()) {
        choice_->addItem(QString::fromUtf8(m.title.data(), static_cast<int>(m.title.size())),
                         QString::fromUtf8(m.name.data(), static_cast<int>(m.name.size())));
    }
    std::vector<std::string> users = UserKeyMapNames();
    if (std::find(users.begin(), users.end(), userName_) == users.end() && name_ == userName_) {
        users.push_back(userName_);
    }
    for (const std::string& u : users) {
        choice_->addItem(QString::fromStdString(u) + QStringLiteral(" (your map)"),
                         QString::fromStdString(u));
    }
    const std::string shown = name_.empty() ? "Standard" : name_;
    int index = choice_->findData(QString::fromStdString(shown));
    if (index < 0) {
        choice_->addItem(QString::fromStdString(shown), QString::fromStdString(shown));
        index = choice_->count() - 1;
    }
    choice_->setCurrentIndex(index);
    filling_ = false;
}

void CDlgKeyMapping::Fill() {
    const std::optional<KeyChord> selectedKey = SelectedKey();
    const std::optional<KeyFunction> selectedFunction = SelectedFunction();
    tree_->clear();
    QTreeWidgetItem* groups[3] = {};
    for (const KeyFunctionInfo& f : KeyFunctions()) {
        QTreeWidgetItem*& group = groups[static_cast<int>(f.group)];
        if (group == nullptr) {
            group = new QTreeWidgetItem(tree_, {GroupTitle(f.group)});
            group->setFlags(Qt::ItemIsEnabled);
            group->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(group);
        item->setText(0, QString::fromUtf8(f.name.data(), static_cast<int>(f.name.size())));
        item->setToolTip(0, QString::fromUtf8(f.description.data(), static_cast<int>(f.description.size())));
        item->setData(0, kFunctionRole, static_cast<int>(f.function));
        QStringList names;
        for (const KeyChord& k : map_.KeysOf(f.function)) {
            const QString name = QString::fromStdString(FormatKeyChord(k));
            names << name;
            auto* keyItem = new QTreeWidgetItem(item, {QString(), name});
            keyItem->setData(0, kKeyRole, name);
            keyItem->setData(0, kFunctionRole, static_cast<int>(f.function));
            if (selectedKey && *selectedKey == k) tree_->setCurrentItem(keyItem);
        }
        // F1 to F24 take the keys' own path in every map, not a binding:
        // their PC keys are listed too, while the map leaves them alone.
        if (const int number = FunctionKeyNumber(f.function); number > 0) {
            const int pcKey = number > 12 ? number - 12 : number;
            const std::string key = (number > 12 ? "Shift+F" : "F") + std::to_string(pcKey);
            if (const std::optional<KeyChord> chord = ParseKeyChord(key); chord && !map_.Lookup(*chord)) {
                names.prepend(QString::fromStdString(key));
            }
        }
        item->setText(1, names.join(QStringLiteral(", ")));
        if (!selectedKey && selectedFunction == f.function) tree_->setCurrentItem(item);
    }
    FillMacros(selectedKey);
    add_->setEnabled(SelectedFunction().has_value() || SelectedMacro().has_value());
    remove_->setEnabled(SelectedKey().has_value());
}

void CDlgKeyMapping::FillMacros(const std::optional<KeyChord>& selectedKey) {
    // The saved macros, and any the map binds that are no longer saved.
    std::vector<std::string> names = macroNames_;
    for (const auto& [key, name] : map_.macroBindings()) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    if (names.empty()) return;
    auto* group = new QTreeWidgetItem(tree_, {QStringLiteral("Macros")});
    group->setFlags(Qt::ItemIsEnabled);
    group->setExpanded(true);
    for (const std::string& macro : names) {
        const QString function = QString::fromStdString(std::string(kMacroFunctionPrefix) + macro);
        auto* item = new QTreeWidgetItem(group, {function});
        item->setToolTip(0, QStringLiteral("Play the macro %1").arg(QString::fromStdString(macro)));
        item->setData(0, kMacroRole, QString::fromStdString(macro));
        QStringList keys;
        for (const auto& [key, name] : map_.macroBindings()) {
            if (name != macro) continue;
            const QString keyName = QString::fromStdString(FormatKeyChord(key));
            keys << keyName;
            auto* keyItem = new QTreeWidgetItem(item, {QString(), keyName});
            keyItem->setData(0, kKeyRole, keyName);
            keyItem->setData(0, kMacroRole, QString::fromStdString(macro));
            if (selectedKey && *selectedKey == key) tree_->setCurrentItem(keyItem);
        }
        item->setText(1, keys.join(QStringLiteral(", ")));
    }
}

void CDlgKeyMapping::SetMacroNames(std::vector<std::string> names) {
    macroNames_ = std::move(names);
    Fill();
}

std::optional<std::string> CDlgKeyMapping::SelectedMacro() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || !item->data(0, kMacroRole).isValid()) return std::nullopt;
    return item->data(0, kMacroRole).toString().toStdString();
}

bool CDlgKeyMapping::AddMacroKey(const std::string& macro, const KeyChord& key) {
    if (IsMainWindowShortcut(key)) {
        Warn(QStringLiteral("%1 is a shortcut of the main window: it cannot be a key of the map.")
                 .arg(QString::fromStdString(FormatKeyChord(key))));
        return false;
    }
    if (!map_.BindMacro(key, macro)) {
        Warn(QStringLiteral("The map holds %1 keys, as many as a map can.").arg(KeyMap::kMaxBindings));
        return false;
    }
    Changed(true);
    return true;
}

std::optional<KeyFunction> CDlgKeyMapping::SelectedFunction() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || !item->data(0, kFunctionRole).isValid()) return std::nullopt;
    return static_cast<KeyFunction>(item->data(0, kFunctionRole).toInt());
}

std::optional<KeyChord> CDlgKeyMapping::SelectedKey() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || !item->data(0, kKeyRole).isValid()) return std::nullopt;
    return ParseKeyChord(item->data(0, kKeyRole).toString().toStdString());
}

void CDlgKeyMapping::Changed(bool save) {
    if (map_ == KeyMap::BuiltIn(map_.base())) {
        const std::string_view base = BuiltInKeyMapName(map_.base());
        name_ = map_.base() == BuiltInKeyMap::kStandard ? std::string() : std::string(base);
    } else {
        if (BuiltInKeyMapByName(name_) || name_.empty()) name_ = userName_;
        if (save) {
            const std::string path = KeyMapPath(name_);
            if (const int cause = SaveKeyMap(path, map_); cause != 0) {
                Warn(QStringLiteral("The keyboard map could not be saved to %1: %2")
                         .arg(QString::fromStdString(path), QString::fromUtf8(std::strerror(cause))));
            }
        }
    }
    if (apply) apply(name_, map_);
    FillChoice();
    Fill();
}

bool CDlgKeyMapping::AddKey(KeyFunction function, const KeyChord& key) {
    if (IsMainWindowShortcut(key) && !(function == KeyFunction::kSystemRequest && key.key == "Esc")) {
        Warn(QStringLiteral("%1 is a shortcut of the main window: it cannot be a key of the map.")
                 .arg(QString::fromStdString(FormatKeyChord(key))));
        return false;
    }
    if (!map_.Bind(key, function)) {
        Warn(QStringLiteral("The map holds %1 keys, as many as a map can.").arg(KeyMap::kMaxBindings));
        return false;
    }
    Changed(true);
    return true;
}

void CDlgKeyMapping::RemoveKey(const KeyChord& key) {
    map_.Remove(key);
    Changed(true);
}

void CDlgKeyMapping::ResetTo(BuiltInKeyMap id) {
    map_ = KeyMap::BuiltIn(id);
    Changed(false);
}

void CDlgKeyMapping::ChooseMap(const std::string& name) {
    KeyMapFileResult loaded = LoadKeyMap(name);
    if (!loaded.errors.empty()) {
        Warn(QStringLiteral("The keyboard map has errors; its other lines are used:") +
             Joined(loaded.errors));
    }
    map_ = std::move(loaded.map);
    if (!BuiltInKeyMapByName(name)) {
        userName_ = name;
        name_ = name;
    }
    Changed(false);
}

void CDlgKeyMapping::Import(const std::string& path) {
    KeyMapFileResult loaded = LoadKeyMap(path.find('/') == std::string::npos ? "./" + path : path);
    if (!loaded.errors.empty()) {
        Warn(QStringLiteral("The keyboard map has errors; its other lines are used:") +
             Joined(loaded.errors));
    }
    map_ = std::move(loaded.map);
    // The imported map is kept as the user's own under the file's name.
    std::string stem = path.substr(path.find_last_of('/') + 1);
    if (stem.ends_with(".keymap")) stem.resize(stem.size() - 7);
    userName_ = UserMapName(stem);
    name_ = userName_;
    Changed(true);
}

bool CDlgKeyMapping::Export(const std::string& path) {
    if (const int cause = SaveKeyMap(path, map_); cause != 0) {
        Warn(QStringLiteral("The keyboard map could not be saved to %1: %2")
                 .arg(QString::fromStdString(path), QString::fromUtf8(std::strerror(cause))));
        return false;
    }
    return true;
}

void CDlgKeyMapping::AddKeyClicked() {
    if (const std::optional<std::string> macro = SelectedMacro(); macro && captureKey) {
        const std::string function = std::string(kMacroFunctionPrefix) + *macro;
        if (const auto key = captureKey(QString::fromStdString(function))) AddMacroKey(*macro, *key);
        return;
    }
    const std::optional<KeyFunction> function = SelectedFunction();
    if (!function || !captureKey) return;
    const std::string_view name = KeyFunctionName(*function);
    if (const auto key = captureKey(QString::fromUtf8(name.data(), static_cast<int>(name.size())))) {
        AddKey(*function, *key);
    }
}

void CDlgKeyMapping::RemoveClicked() {
    if (const auto key = SelectedKey()) RemoveKey(*key);
}

KeyCaptureDialog::KeyCaptureDialog(const QString& function, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add Key"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Press the key for %1.").arg(function), this));
    note_ = new QLabel(this);
    layout->addWidget(note_);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setFocusPolicy(Qt::NoFocus);  // every key goes to the capture
    layout->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFocusPolicy(Qt::StrongFocus);
}

bool KeyCaptureDialog::Take(const QKeyEvent& event) {
    if (event.isAutoRepeat()) return false;
    const std::optional<KeyChord> chord = ChordOf(event);
    if (event.type() == QEvent::KeyRelease) {
        if (modifier_ && chord && *chord == *modifier_) {
            chord_ = modifier_;
            accept();
            return true;
        }
        return false;
    }
    if (chord && IsModifierKey(chord->key)) {
        modifier_ = chord;
        return false;
    }
    modifier_.reset();
    if (!chord) {
        note_->setText(QStringLiteral("That key cannot be mapped; press another."));
        return false;
    }
    if (IsMainWindowShortcut(*chord) && FormatKeyChord(*chord) != "Shift+Esc") {
        note_->setText(QStringLiteral("%1 is a shortcut of the main window; press another.")
                           .arg(QString::fromStdString(FormatKeyChord(*chord))));
        return false;
    }
    chord_ = chord;
    accept();
    return true;
}

bool KeyCaptureDialog::event(QEvent* e) {
    // Before the dialog's own handling: Tab would move the focus and Esc
    // would close the dialog instead of being captured.
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        Take(static_cast<const QKeyEvent&>(*e));
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

}  // namespace quenlix::app
