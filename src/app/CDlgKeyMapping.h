// The Keyboard Mapping dialog: the keyboard functions in groups with the keys
// of the session's map; keys are added (the next key pressed), removed, the
// map reset to a built-in one, imported from or exported to a file, or
// another map chosen. The operator's macros are listed too, so that a key
// can play one ("Macro:<name>"). Every change is in force at once.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "input/KeyMap.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quenlix::app {

class CDlgKeyMapping : public QDialog {
    Q_OBJECT
public:
    /// `mapName` is the session's "Keyboard Map"; `sessionName` names the
    /// user map a changed built-in map is kept as.
    CDlgKeyMapping(KeyMap map, std::string mapName, const std::string& sessionName,
                   QWidget* parent = nullptr);

    /// Called after every change with the map's name and the map.
    std::function<void(const std::string& name, const KeyMap& map)> apply;
    /// The key capture of "Add key...": the chord pressed, or empty.
    std::function<std::optional<KeyChord>(const QString& function)> captureKey;
    /// Shows problems (a refused key, a map file's errors, a failed save).
    std::function<void(const QString& text)> warn;

    /// What the buttons do, for the buttons and the tests. AddKey refuses
    /// the main window's shortcuts and a full map (false, with a warning);
    /// a key bound to another function moves to this one.
    bool AddKey(KeyFunction function, const KeyChord& key);
    /// The same for a key that plays one of the operator's macros.
    bool AddMacroKey(const std::string& macro, const KeyChord& key);
    /// The operator's macros, listed under "Macros" to be given keys.
    void SetMacroNames(std::vector<std::string> names);
    void RemoveKey(const KeyChord& key);
    void ResetTo(BuiltInKeyMap id);
    /// Chooses a built-in map or a user map by name.
    void ChooseMap(const std::string& name);
    /// Reads a map file; its errors are shown, its valid lines used.
    void Import(const std::string& path);
    bool Export(const std::string& path);

    const KeyMap& map() const { return map_; }
    const std::string& mapName() const { return name_; }
    QTreeWidget* tree() const { return tree_; }
    QComboBox* mapChoice() const { return choice_; }

private:
    void Changed(bool save);
    void Fill();
    void FillChoice();
    void AddKeyClicked();
    void RemoveClicked();
    std::optional<KeyFunction> SelectedFunction() const;
    std::optional<std::string> SelectedMacro() const;
    void FillMacros(const std::optional<KeyChord>& selectedKey);
    std::optional<KeyChord> SelectedKey() const;
    void Warn(const QString& text);

    KeyMap map_;
    std::string name_;      ///< "" for Standard, a built-in name, a user map or a path
    std::string userName_;  ///< the user map a changed built-in map becomes
    QComboBox* choice_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    bool filling_ = false;
    std::vector<std::string> macroNames_;
};

/// Waits for the next key: a key with its modifiers, or a modifier key
/// pressed and released alone. Tab and Esc are keys too; the Cancel button
/// ends it without one. Main-window shortcuts are refused with a note.
class KeyCaptureDialog : public QDialog {
    Q_OBJECT
public:
    KeyCaptureDialog(const QString& function, QWidget* parent = nullptr);
    std::optional<KeyChord> chord() const { return chord_; }

    /// Takes one key event (the dialog's own handler calls it); true when it
    /// ended the capture.
    bool Take(const QKeyEvent& event);

protected:
    bool event(QEvent* event) override;

private:
    QLabel* note_ = nullptr;
    std::optional<KeyChord> chord_;
    std::optional<KeyChord> modifier_;  ///< a modifier key held, no other key yet
};

}  // namespace quenlix::app
