// "Modify Connection Parameters": asks whether edited connection values
// restart the live session now or wait for the next one.
#pragma once

#include <QDialog>

namespace quenlix::app {

class CDlgNewParams : public QDialog {
    Q_OBJECT
public:
    /// Dialog results: Restart, Continue (Accepted), Cancel (Rejected).
    static constexpr int kRestart = 2;

    explicit CDlgNewParams(QWidget* parent = nullptr);
    static const char* const kText;
};

}  // namespace quenlix::app
