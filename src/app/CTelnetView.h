// The terminal view: paints the presentation space from a QImage back
// buffer, fits the cells to the window, blinks, and turns keys, the mouse
// and the wheel into the terminal's operator input.
#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <optional>
#include <vector>

#include "app/AccessibleTerminal.h"
#include "app/GlyphCache.h"
#include "app/HotspotTracker.h"
#include "app/KeyTranslator.h"
#include "app/PaintMeasurements.h"
#include "app/QtFontMeasurer.h"
#include "connection/TerminalSession.h"
#include "display/ScreenPainter.h"

namespace quenlix::app {

/// How the background picture is chosen and laid out (the "BkgndImage"
/// preferences).
struct BackgroundSettings {
    bool active = false;
    int mode = kBackgroundCentered;
    std::string imageFile;
};

class CTelnetView : public QWidget, public ViewOperations {
    Q_OBJECT
public:
    /// Blink timer period and identifier.
    static constexpr int kBlinkMilliseconds = 500;
    /// Wheel travel of one notch, in eighths of a degree.
    static constexpr int kWheelNotch = 120;
    /// Largest picture file LoadBackgroundImage reads; a larger one is
    /// treated as unreadable and the previous picture stays.
    static constexpr std::size_t kMaxPictureFileSize = 64u << 20;

    explicit CTelnetView(QWidget* parent = nullptr);

    /// The session this view shows; set once, before the view is shown.
    void SetSession(TerminalSession* session);
    /// A hidden session's view (a tab behind another) never paints and its
    /// cursor does not blink: the damage waits in the model and the whole
    /// screen is painted when it comes to the front.
    void SetHidden(bool hidden);
    bool hidden() const { return hidden_; }
    TerminalSession* session() const { return session_; }

    /// The longest a frame lasts: the view paints at most once in it.
    static constexpr int kFrameMilliseconds = 16;

    /// The model holds damage: it is painted at the next frame, at once
    /// when the view has been idle for a frame or longer.
    void DamageReady() override;

    // The view's own repaints, for what lies outside the model (colours,
    // font, background, cursor form) and for the program's commands.
    void InvalidateView();
    void InvalidateCursor();
    void LoadBackgroundImage();
    /// Recomputes cell size and font for the current geometry.
    void FitScreenToWindow();

    /// Paint events handled since the view was made (tests and the
    /// performance report).
    unsigned long paintCount() const { return paints_; }
    /// Frames started since the view was made: one per batch of damage, at
    /// most one a frame.
    unsigned long frameCount() const { return frames_; }

    /// Font face, weight (1..1000) and italic; refits the cells.
    void SetFontPreferences(const FontPreferences& preferences);
    const FontPreferences& fontPreferences() const { return fontPreferences_; }
    void SetBackground(const BackgroundSettings& background);
    const BackgroundSettings& background() const { return background_; }
    const QFont& viewFont() const { return measurer_.font(); }
    int horizontalOffset() const { return paint_.horizontalOffset; }
    PaintState& paintState() { return paint_; }

    /// Paints the whole screen onto `painter` with the paper rules (black and
    /// white, no blink, the cursor always), fitting the cells to `page`; the
    /// window's cell size, font and cursor are restored afterwards.
    void PaintOnPaper(QPainter& painter, const QRect& page);

    /// The back buffer as last painted (tests and screenshots).
    const QImage& backBuffer() const { return back_; }
    /// The decoded background picture; null when there is none.
    const QImage& backgroundPicture() const { return picture_; }
    /// Caps Lock as the view's key events tell it (unknown until a letter).
    const CapsLockTracker& capsLock() const { return caps_; }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    /// What the blank screen says while no host is connected: how to
    /// connect the loaded session, or how to open or create one.
    std::string_view IdleHint() const;

    /// The operator's choice that a key the session's own key map binds
    /// goes to the session even when it is a tab-switching key
    /// (Ctrl+PageUp/PageDown, Alt+1..9). Off: those keys always switch.
    bool mapOverWindowKeys = false;
    /// True when `event` is a tab-switching key this view takes for its
    /// session under that choice.
    bool TakesSwitchKey(const QKeyEvent& event) const;

    /// What assistive technology is told about this view.
    TerminalAccessibility& accessibility() { return accessibility_; }

    /// Hotspots: shown only under the mouse (underlined, a hand cursor), so
    /// the screen otherwise looks as the host drew it. Off: none at all,
    /// and a click on their text places the cursor as anywhere else.
    void SetHotspotsEnabled(bool enabled);
    bool hotspotsEnabled() const { return hotspots_.enabled(); }
    /// The screen's hotspots now (none while off or not connected).
    const std::vector<Hotspot>& Hotspots();
    /// The one under the mouse, underlined; null when none.
    const Hotspot* hoveredHotspot() const { return hotspots_.hovered(); }
    /// Does what a click on `hotspot` does: its key, its number typed, a
    /// roll (refused with the key's reason while the keyboard is locked),
    /// or addressClicked for an address. Taken as a copy: what the click
    /// does may change the screen and the list it came from.
    void PerformHotspot(Hotspot hotspot);

signals:
    void contextMenuRequested(const QPoint& globalPos);
    /// An operator key failed to reach the host (the socket's error text).
    void sendFailed(const QString& text);
    /// A web or mail address was clicked (as the screen shows it).
    void addressClicked(const QString& address);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab belongs to the host

private:
    void Submit(const std::vector<KeyEvent>& events);
    /// Operator input was handled: the damage it made goes to the frame.
    void AfterInput();
    void UpdateScreenRect(const PixelRect& screenRect);
    /// Takes the model's damage and asks the window system to repaint it.
    void StartFrame();
    void PreparePaintState();
    void EnsureBackBuffer();
    /// Pixels per inch of the back buffer the background is painted on.
    QSize BackBufferDpi() const;
    /// Hands the painter the loaded picture, or its grown tile when a small
    /// picture is tiled.
    void ShowPictureForMode();
    const PcCharset& Charset() const;
    /// The hotspot under a point of the view, or null.
    const Hotspot* HotspotUnder(const QPoint& point);
    /// Underlines the hotspot under `point` (none: nullptr) and sets the
    /// mouse cursor; repaints only what changed.
    void HoverAt(const std::optional<QPoint>& point);
    /// The window rectangle of a hotspot's cells.
    QRect HotspotRect(const Hotspot& hotspot) const;
    void PaintHotspotUnderline(QPainter& painter) const;

    TerminalSession* session_ = nullptr;
    PaintState paint_;
    FontPreferences fontPreferences_;
    BackgroundSettings background_;
    QtFontMeasurer measurer_;
    GlyphCache glyphs_;
    QImage back_;
    QImage picture_;
    QImage tile_;  ///< picture_ repeated into a larger tile, made when first tiled
    BackgroundPicture pictureInfo_;
    QBasicTimer blinkTimer_;
    QTimer frameTimer_;       ///< the next frame, when damage came within a frame of the last
    QElapsedTimer lastFrame_;
    bool inputFlush_ = false;
    bool hidden_ = false;  ///< the damage being flushed comes from the operator's input
    /// The cursor's rectangle at the last paint, window pixels: erased when
    /// the cursor has moved.
    QRect paintedCursor_;
    unsigned long paints_ = 0;
    unsigned long frames_ = 0;
    CapsLockTracker caps_;
    ModifierTap tap_;  ///< a bound modifier key pressed alone
    HotspotTracker hotspots_;
    /// The hotspot the left button went down on: a release on the same one
    /// without a drag is its click.
    std::optional<Hotspot> pressedHotspot_;
    /// Where the mouse was last seen over the view; none once it left.
    std::optional<QPoint> lastMouse_;
    /// Wheel travel not yet turned into a key, eighths of a degree.
    int wheelTravel_ = 0;
    PaintMeasurements measurements_;  ///< QUENLIX_MEASURE, for the performance report
    /// Last member: gone before anything it reads.
    TerminalAccessibility accessibility_{*this};
};

}  // namespace quenlix::app
