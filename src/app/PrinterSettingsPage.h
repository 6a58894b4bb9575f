// The Printer page of Session Properties, shown for a printer session: the
// host's message queue and library for printer messages, the font, the host
// print transform and its printer model, the paper size, the folder the
// PDFs go to and a system printer.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>
#include <functional>

#include "session/SessionSettings.h"

namespace quenlix::app {

class PrinterSettingsPage : public QWidget {
    Q_OBJECT
public:
    /// Longest message queue, library and model: host object names.
    static constexpr int kNameLimit = 10;

    explicit PrinterSettingsPage(QWidget* parent = nullptr);

    /// Shows a session's printer values.
    void Load(const SessionSettings& settings);
    /// Puts the page's values into `settings`.
    void Apply(SessionSettings& settings) const;

    /// Chooses a folder for the browse button (tests replace it).
    std::function<QString(const QString& current)> chooseFolder;

    QLineEdit* messageQueue;
    QLineEdit* messageLibrary;
    QSpinBox* font;
    QCheckBox* transform;
    QLineEdit* model;
    QComboBox* paper;
    QLineEdit* outputFolder;
    QComboBox* systemPrinter;
};

}  // namespace quenlix::app
