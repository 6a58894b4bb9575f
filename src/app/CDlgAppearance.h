// The Appearance dialog: the nine display colours and the background
// picture, every change shown in the view at once, Cancel putting back
// what was in force when the dialog opened.
#pragma once

#include <QDialog>
#include <QFrame>
#include <functional>
#include <optional>

#include "terminal/ColorTable.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace quenlix::app {

class CImageButton;
class DialogContext;

/// The picture chooser's filter: "Image files" with every type the
/// picture decoder of this system reads (PNG, JPEG, BMP, GIF, ICO, SVG...)
/// and the metafile types EMF and WMF, which are offered though they show
/// no picture here; then "All files".
QString PictureFileFilter();

/// A colour component: a digits-only edit of at most 3 characters with an
/// up-down pair stepping 0..255 (the arrow keys step too).
class ComponentEdit : public QWidget {
    Q_OBJECT
public:
    explicit ComponentEdit(QWidget* parent = nullptr);
    QLineEdit* edit() const { return edit_; }
    /// The decimal value of at most 32 characters of the text; 0 when none.
    int value() const;
    void setValue(int value);
    void Step(int delta);

signals:
    void textEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
};

class CDlgAppearance : public QDialog {
    Q_OBJECT
public:
    /// Control ids, as the controls' object names ("1209" ...).
    enum : int {
        kElementList = 1209,
        kResetAll = 1210,
        kReset = 1211,
        kCustomize = 1212,
        kSwatch = 1213,
        kRed = 1214,
        kGreen = 1215,
        kBlue = 1216,
        kBitmap = 1217,
        kFileName = 1218,
        kBrowse = 1219,
        kTiled = 1220,
        kCentered = 1221,
        kStretched = 1222,
        kHighContrast = 1223,
        kOk = 1,
        kCancel = 2,
    };

    explicit CDlgAppearance(DialogContext& context, QWidget* parent = nullptr);

    QComboBox* elementList() const { return elements_; }
    ComponentEdit* component(int index) const { return components_[index]; }  ///< 0 red, 1 green, 2 blue
    QCheckBox* bitmapBox() const { return bitmap_; }
    QLineEdit* fileEdit() const { return file_; }
    QRadioButton* modeButton(int mode) const { return modes_[mode]; }
    /// The line under the picture's name: empty, or why no picture shows
    /// (the file is missing, is not a file, or cannot be shown).
    QLabel* pictureNote() const { return pictureNote_; }
    QPushButton* button(int id) const;
    /// The colour the swatch shows, composed from the three components.
    std::uint32_t swatchColour() const;
    QRect swatchRect() const { return swatchRect_; }

    /// The colour chooser ("Customize"): empty on Cancel. Tests replace it.
    std::function<std::optional<std::uint32_t>(std::uint32_t start)> chooseColour;
    /// The picture chooser ("Browse"): the chosen full path, or empty.
    std::function<QString(const QString& start)> chooseImageFile;

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ReadControls();
    void WriteControls();
    void ApplyLive();
    void ElementChanged();
    void ComponentChanged();
    void Customize();
    void Reset();
    void ResetAll();
    void HighContrast();
    void BackgroundClicked();
    void FileNameChanged();
    void Browse();
    void PushBackground(bool reload);
    void UpdatePictureNote();
    int Selected() const;
    QRect Dlu(int x, int y, int w, int h) const;

    DialogContext& context_;
    ColorTable working_{};
    ColorTable saved_{};
    int red_ = 0;
    int green_ = 0;
    int blue_ = 0;
    QString imageFile_;
    QString savedImageFile_;
    int imageActive_ = 0;
    int savedImageActive_ = 0;
    int mode_ = 0;
    int savedMode_ = 0;
    bool writing_ = false;
    QRect swatchRect_;

    QComboBox* elements_ = nullptr;
    ComponentEdit* components_[3] = {};
    QFrame* swatchFrame_ = nullptr;
    QCheckBox* bitmap_ = nullptr;
    QLineEdit* file_ = nullptr;
    CImageButton* browse_ = nullptr;
    QRadioButton* modes_[3] = {};
    QButtonGroup* modeGroup_ = nullptr;
    QLabel* pictureNote_ = nullptr;
};

}  // namespace quenlix::app
