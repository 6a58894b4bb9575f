// The font dialog: fixed-pitch scalable faces, regular or bold, italic or
// not, and no size (the size always follows the window). Apply puts the
// choice in force and keeps the dialog open; OK puts it in force and
// closes; Cancel changes nothing further.
#pragma once

#include <QDialog>
#include <QStringList>

#include "display/ScreenGeometry.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quenlix::app {

class DialogContext;

/// Weights of the two styles offered.
inline constexpr int kRegularWeight = 400;
inline constexpr int kBoldWeight = 700;

/// The families the dialog offers: fixed pitch and smoothly scalable (the
/// outline faces), sorted, without the system's private ones.
QStringList FixedPitchFaces();

class CDialogFont : public QDialog {
    Q_OBJECT
public:
    CDialogFont(DialogContext& context, QWidget* parent = nullptr);

    QListWidget* faceList() const { return faces_; }
    QListWidget* styleList() const { return styles_; }
    QCheckBox* italicBox() const { return italic_; }
    QPushButton* applyButton() const { return apply_; }
    QLabel* faceLabel() const { return faceLabel_; }
    QLabel* styleLabel() const { return styleLabel_; }

    /// What the controls choose. A style left as it opened keeps the stored
    /// weight (a weight of 450 stays 450); a face not in the list, left
    /// unselected, keeps the stored face.
    FontPreferences chosen() const;

    /// Puts a choice in force: the preferences, the view's font and the fit.
    static void Assign(DialogContext& context, const FontPreferences& font);

private:
    void UpdateSample();

    DialogContext& context_;
    FontPreferences start_;
    int startStyle_ = 0;
    QListWidget* faces_ = nullptr;
    QListWidget* styles_ = nullptr;
    QCheckBox* italic_ = nullptr;
    QLabel* sample_ = nullptr;
    QLabel* faceLabel_ = nullptr;
    QLabel* styleLabel_ = nullptr;
    QPushButton* apply_ = nullptr;
};

}  // namespace quenlix::app
