// Small pictures drawn in code: the open-folder picture of the "Browse"
// buttons with its key colour, the image button that shows it, and the
// tool-bar button pictures.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPushButton>

namespace quenlix::app {

/// The key colour of the folder picture: pure green, replaced by the
/// button-face colour when the picture is loaded.
inline constexpr QRgb kFolderKeyColour = qRgb(0, 255, 0);

/// The 15 x 13 open-folder picture, 16-colour indexed, its background in
/// the key colour.
QImage FolderPicture();

/// The picture with every colour-table entry equal to `key` replaced by
/// `replacement`; a picture without a colour table is returned unchanged.
QImage LoadKeyedBitmap(const QImage& picture, QRgb key, QRgb replacement);

/// A push button that shows a picture instead of its caption, drawn in its
/// normal, pushed, disabled and focused states with the classic 3-D frames.
class CImageButton : public QPushButton {
    Q_OBJECT
public:
    explicit CImageButton(const QString& caption, QWidget* parent = nullptr);
    /// Loads the picture(s), the key colour becoming the button face colour;
    /// a null pushed picture means the normal one is used pushed too.
    void SetButtonPicture(const QImage& picture, const QImage& pushed, QRgb key);
    const QImage& picture() const { return picture_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Reload();
    QImage source_;
    QImage pushedSource_;
    QRgb key_ = kFolderKeyColour;
    QImage picture_;
    QImage pushed_;
};

/// A "Browse" button with the folder picture.
CImageButton* MakeBrowseButton(QWidget* parent);

/// Tool-bar pictures by command id; a null icon for commands without one.
QIcon CommandPicture(int commandId);
/// The Connect/Disconnect button: picture 0 (plug apart, connect) or 4
/// (plug joined, disconnect).
QIcon ConnectPicture(int picture);

}  // namespace quenlix::app
