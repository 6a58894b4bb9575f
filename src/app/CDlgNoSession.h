// "Open Connection": asks what to do when Start finds no session loaded.
#pragma once

#include <QDialog>

namespace quenlix::app {

class CDlgNoSession : public QDialog {
    Q_OBJECT
public:
    /// Dialog results besides Rejected (Cancel).
    static constexpr int kCreate = 100;
    static constexpr int kOpen = 200;

    explicit CDlgNoSession(QWidget* parent = nullptr);
    static const char* const kText;
};

}  // namespace quenlix::app
