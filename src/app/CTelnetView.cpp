// Painting, geometry, blinking and input of the terminal view.
#include "app/CTelnetView.h"

#include <QApplication>
#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/BackgroundTile.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/KeyTranslator.h"
#include "app/QtCanvas.h"
#include "display/ViewLayout.h"
#include "input/HotspotClick.h"
#include "input/KeyCodes.h"
#include "input/SelectionChoice.h"
#include "net/BlockingSocket.h"
#include "session/FileIo.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

CTelnetView::CTelnetView(QWidget* parent) : QWidget(parent) {
    frameTimer_.setSingleShot(true);
    // A coarse timer may fire up to 5 % late: the frame would then come after
    // the display's own.
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { StartFrame(); });
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Dead keys and compose sequences arrive as committed text from the
    // input method (inputMethodEvent); every other key stays a key event.
    setAttribute(Qt::WA_InputMethodEnabled, true);
    // The mouse is followed without a button for the hotspot under it.
    setMouseTracking(true);
    setMinimumSize(80, 60);
    measurements_.TypeInto(this);
    blinkTimer_.start(kBlinkMilliseconds, this);
    TerminalAccessibility::InstallFactory();
}

void CTelnetView::SetSession(TerminalSession* session) {
    session_ = session;
    FitScreenToWindow();
}

const PcCharset& CTelnetView::Charset() const {
    return PcCharset::ForCodePage(session_ ? session_->activeSettings.PageCode : 0);
}

void CTelnetView::UpdateScreenRect(const PixelRect& r) {
    const PixelRect w = ToWindow(r, paint_.horizontalOffset);
    update(QtCanvas::ToQRect(w).adjusted(0, 0, 1, 1));
}

void CTelnetView::InvalidateView() { update(); }

void CTelnetView::InvalidateCursor() {
    if (!session_) return;
    const Terminal& t = session_->terminal;
    // The crosshair spans the screen and the row/column indicator follows
    // the cursor: both are repainted with it.
    if (t.state.CheckRepere) {
        update();
        return;
    }
    update(paintedCursor_);
    UpdateScreenRect(CursorCellRect(t));
    UpdateScreenRect(RowColumnRect(t));
    // A composing input method places its window at the cursor.
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void CTelnetView::SetHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    if (hidden) {
        frameTimer_.stop();
        blinkTimer_.stop();
        return;
    }
    blinkTimer_.start(kBlinkMilliseconds, this);
    // What arrived meanwhile, and the screen as a whole.
    StartFrame();
    update();
}

void CTelnetView::DamageReady() {
    if (hidden_) return;
    measurements_.DamageArrived();
    if (inputFlush_) {
        // What a key changed (its echo, "X-System" once it is sent) goes to
        // the glass now: keys come at a person's pace, never as a burst.
        frameTimer_.stop();
        StartFrame();
        return;
    }
    if (frameTimer_.isActive()) return;  // the frame due already takes it
    const qint64 since = lastFrame_.isValid() ? lastFrame_.elapsed() : kFrameMilliseconds;
    if (since >= kFrameMilliseconds) {
        // Idle for a frame: a keystroke's echo is never held back.
        StartFrame();
    } else {
        frameTimer_.start(static_cast<int>(kFrameMilliseconds - since));
    }
}

void CTelnetView::StartFrame() {
    if (!session_) return;
    lastFrame_.restart();
    ++frames_;
    Terminal& t = session_->terminal;
    const ScreenDamage damage = t.TakeDamage();
    if (damage.geometry()) FitScreenToWindow();
    hotspots_.ScreenChanged();
    accessibility_.FrameTaken(damage);
    // A hotspot under a resting mouse may have come or gone with the screen.
    if (lastMouse_) HoverAt(lastMouse_);
    if (damage.all()) {
        update();
        return;
    }
    const ViewMetrics m(t);
    for (int row = 0; row < m.R && row < ScreenDamage::kMaxRows; ++row) {
        const ScreenDamage::Columns c = damage.row(row);
        if (!c.empty()) UpdateScreenRect(CellsRect(t, CellRect{c.left, row, c.right, row + 1}));
    }
    if (damage.cursor()) InvalidateCursor();
    if (damage.indicator(Indicator::kMessage)) UpdateScreenRect(MessageMarkRect(t));
    if (damage.indicator(Indicator::kShift)) UpdateScreenRect(ShiftMarkRect(t));
    if (damage.indicator(Indicator::kInsert)) UpdateScreenRect(InsertMarkRect(t));
    if (damage.indicator(Indicator::kInhibit)) UpdateScreenRect(InhibitAreaRect(t));
    if (damage.indicator(Indicator::kSysReqLine)) UpdateScreenRect(SysReqLineRect(t));
    if (damage.indicator(Indicator::kReason)) UpdateScreenRect(RefusedReasonRect(t));
}

void CTelnetView::AfterInput() {
    if (!session_) return;
    inputFlush_ = true;
    session_->FlushDamage();
    inputFlush_ = false;
}

void CTelnetView::LoadBackgroundImage() {
    // Inactive: a picture loaded earlier stays in memory, unpainted.
    if (!background_.active) return;
    // The whole file first, and only a regular file: the decoder would wait
    // for ever on a FIFO or a terminal named as the picture. A file that
    // cannot be opened or read (or is larger than any picture we take)
    // leaves the previous picture in place.
    std::string bytes;
    if (ReadSmallFile(background_.imageFile, bytes, kMaxPictureFileSize) != 0) return;
    QBuffer buffer;
    buffer.setData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();

    // The previous picture goes; an undecodable file leaves none.
    picture_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    tile_ = QImage();
    ShowPictureForMode();
    update();
}

void CTelnetView::ShowPictureForMode() {
    pictureInfo_ = BackgroundPicture{};
    paint_.picture = nullptr;
    if (picture_.isNull()) return;
    const QImage* shown = &picture_;
    if (paint_.backgroundMode == kBackgroundTiled) {
        if (tile_.isNull()) tile_ = RepeatedTile(picture_);
        shown = &tile_;
    }
    const QSize dpi = BackBufferDpi();
    pictureInfo_ = PictureOfPixels(shown, shown->width(), shown->height(), dpi.width(), dpi.height());
    paint_.picture = &pictureInfo_;
}

QSize CTelnetView::BackBufferDpi() const {
    // The picture's natural size is taken at the resolution of the surface it
    // is painted on, so it shows at its own pixel size. Every QImage gets the
    // same default resolution; a 1-pixel one tells it before the first paint.
    const QImage probe = back_.isNull() ? QImage(1, 1, QImage::Format_RGB32) : back_;
    return {std::max(1, probe.logicalDpiX()), std::max(1, probe.logicalDpiY())};
}

void CTelnetView::SetBackground(const BackgroundSettings& background) {
    const bool reload = background.imageFile != background_.imageFile || picture_.isNull();
    background_ = background;
    paint_.backgroundActive = background.active;
    paint_.backgroundMode = background.mode;
    // A failed reload keeps the previous picture, which may now be tiled.
    if (reload) LoadBackgroundImage();
    ShowPictureForMode();
    update();
}

void CTelnetView::SetFontPreferences(const FontPreferences& preferences) {
    fontPreferences_ = preferences;
    paint_.fontWeight = preferences.weight;
    FitScreenToWindow();
    update();
}

void CTelnetView::FitScreenToWindow() {
    if (!session_) return;
    const ScreenFit fit = quenlix::FitScreenToWindow(
        session_->terminal, PixelRect{0, 0, width(), height()}, fontPreferences_, measurer_);
    paint_.horizontalOffset = fit.horizontalOffset;
    update();
}

namespace {
/// Said on the blank screen while no host is connected.
constexpr std::string_view kNotConnectedHint =
    "Not connected\nPress Ctrl+X (Connection > Start) to connect";
constexpr std::string_view kNoSessionHint =
    "No session\nOpen one with Ctrl+O, or create one with Ctrl+N (File menu)";
}  // namespace

std::string_view CTelnetView::IdleHint() const {
    if (!session_ || session_->terminal.state.connected) return {};
    const SessionSettings& s = session_->activeSettings;
    if (s.Name == LoadString(kStrNoName)) return kNoSessionHint;
    return s.IP.empty() ? std::string_view() : kNotConnectedHint;
}

void CTelnetView::PreparePaintState() {
    OperatorInput& input = session_->input();
    paint_.idleHint = IdleHint();
    paint_.clientArea = PixelRect{0, 0, width(), height()};
    paint_.sysReqText = input.state().sysReqText;
    paint_.shiftDown = input.state().shiftDown;
    paint_.capsLock = caps_.on();
    paint_.charset = &Charset();
}

void CTelnetView::EnsureBackBuffer() {
    // The back buffer has the window's device pixels, so text is drawn as
    // crisp at 150 % or 200 % as at 100 %; its painter works in the logical
    // pixels the cell geometry is measured in.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (back_.size() != pixels || back_.devicePixelRatio() != ratio) {
        back_ = QImage(pixels, QImage::Format_RGB32);
        back_.setDevicePixelRatio(ratio);
        back_.fill(Qt::black);
    }
}

void CTelnetView::paintEvent(QPaintEvent* event) {
    EnsureBackBuffer();
    if (session_) {
        PreparePaintState();
        PaintRegion damaged;
        for (const QRect& r : event->region()) {
            damaged.Add(PixelRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        }
        QPainter p(&back_);
        QtCanvas canvas(p, measurer_.font());
        canvas.UseGlyphCache(&glyphs_, session_->terminal.state.cellWidth,
                             session_->terminal.state.cellHeight);
        PaintScreen(session_->terminal, paint_, damaged, canvas);
        paintedCursor_ = QtCanvas::ToQRect(ToWindow(CursorCellRect(session_->terminal),
                                                    paint_.horizontalOffset))
                             .adjusted(0, 0, 1, 1);
    }
    ++paints_;
    // One copy of the finished picture: the window never shows a half-drawn state.
    QPainter w(this);
    const qreal ratio = back_.devicePixelRatio();
    for (const QRect& r : event->region()) {
        w.drawImage(QRectF(r), back_,
                    QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    }
    // On the window only: the back buffer keeps the screen as the host drew it.
    PaintHotspotUnderline(w);
    if (measurements_.enabled() && session_) {
        measurements_.Painted(session_->terminal.state, frames_, paints_);
    }
}

void CTelnetView::PaintOnPaper(QPainter& painter, const QRect& page) {
    if (!session_) return;
    Terminal& t = session_->terminal;
    const int cellWidth = t.state.cellWidth;
    const int cellHeight = t.state.cellHeight;
    const int cursorX = t.state.cursorX;
    const int cursorY = t.state.cursorY;
    PaintState paper = paint_;
    PreparePaintState();
    paper.sysReqText = paint_.sysReqText;
    paper.charset = paint_.charset;
    QtFontMeasurer pageMeasurer;
    quenlix::FitScreenToWindow(t, PixelRect{0, 0, page.width(), page.height()}, fontPreferences_,
                               pageMeasurer);
    UsePaperRules(paper);
    painter.save();
    painter.translate(page.topLeft());
    {
        QtCanvas canvas(painter, pageMeasurer.font());
        PaintScreen(t, paper, PaintRegion(PixelRect{0, 0, page.width(), page.height()}), canvas);
    }
    painter.restore();
    // The window's geometry exactly as before.
    t.state.cellWidth = cellWidth;
    t.state.cellHeight = cellHeight;
    t.state.cursorX = cursorX;
    t.state.cursorY = cursorY;
}

void CTelnetView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    EnsureBackBuffer();
    FitScreenToWindow();
}

void CTelnetView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != blinkTimer_.timerId() || !session_) return;
    const BlinkRepaint r = BlinkStep(session_->terminal, paint_, hasFocus());
    for (const PixelRect& rect : r.cells.rects()) update(QtCanvas::ToQRect(rect));
    if (r.cursor) InvalidateCursor();
}

void CTelnetView::Submit(const std::vector<KeyEvent>& events) {
    if (!session_) return;
    try {
        for (const KeyEvent& e : events) session_->input().Submit(e);
    } catch (const CBlockingSocketException& e) {
        // The keystroke is abandoned; the socket's error is shown.
        emit sendFailed(QString::fromStdString(e.what()));
    }
    AfterInput();
}

namespace {
/// True for keys of the accelerator table: they belong to the main window
/// and never reach the terminal, also when their command does nothing.
/// The command whose accelerator the key is, or 0.
int AcceleratorCommand(const QKeyEvent& event) {
    const QKeySequence pressed(event.keyCombination());
    for (const CommandSpec& command : AllCommands()) {
        for (const QKeySequence& key : command.keys) {
            if (key.matches(pressed) == QKeySequence::ExactMatch) return command.id;
        }
    }
    return 0;
}
bool IsAccelerator(const QKeyEvent& event) { return AcceleratorCommand(event) != 0; }
}  // namespace

bool CTelnetView::TakesSwitchKey(const QKeyEvent& event) const {
    if (!mapOverWindowKeys || !session_) return false;
    const int id = AcceleratorCommand(event);
    if (id < kCmdNextTab || id > kCmdTab9) return false;
    const std::optional<KeyChord> chord = ChordOf(event);
    return chord && session_->input().MappedFunction(*chord).has_value();
}

bool CTelnetView::event(QEvent* event) {
    // A tab key the session's own map binds, when the operator chose so,
    // is the session's: the window's shortcut gives way.
    if (event->type() == QEvent::ShortcutOverride &&
        TakesSwitchKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CTelnetView::keyPressEvent(QKeyEvent* event) {
    measurements_.KeyHandled();
    if (caps_.Note(*event) && session_) UpdateScreenRect(ShiftMarkRect(session_->terminal));
    if (!session_ || (IsAccelerator(*event) && !TakesSwitchKey(*event))) return;
    const bool shiftDown = session_->input().state().shiftDown;
    const std::optional<KeyChord> chord = ChordOf(*event);
    const std::optional<KeyFunction> mapped =
        chord ? session_->input().MappedFunction(*chord) : std::nullopt;
    const bool modifierKey = chord && IsModifierKey(chord->key);
    tap_.Pressed(event->key(), modifierKey ? mapped : std::nullopt);
    if (mapped && !modifierKey) {
        Submit(TranslateMappedPress(*event, *mapped, shiftDown));
    } else {
        // A bound modifier key still acts as the modifier until it is released.
        Submit(TranslateKeyPress(*event, Charset(), shiftDown));
    }
    event->accept();
}

void CTelnetView::inputMethodEvent(QInputMethodEvent* event) {
    // Text still being composed is not shown; committed text is typed like
    // the keys of its characters, type-ahead included.
    if (session_ && !event->commitString().isEmpty()) {
        Submit(TranslateCommittedText(event->commitString(), Charset()));
    }
    event->accept();
}

QVariant CTelnetView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImCursorRectangle:
            if (!session_) return QRect();
            return QtCanvas::ToQRect(
                ToWindow(CursorCellRect(session_->terminal), paint_.horizontalOffset));
        case Qt::ImFont:
            return measurer_.font();
        case Qt::ImHints:
            // Characters go to the host field as typed: nothing to predict.
            return static_cast<int>(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
        default:
            return QWidget::inputMethodQuery(query);
    }
}

void CTelnetView::keyReleaseEvent(QKeyEvent* event) {
    if (!session_ || event->isAutoRepeat()) return;
    std::vector<KeyEvent> events = TranslateKeyRelease(*event);
    if (const std::optional<KeyFunction> tapped = tap_.Released(event->key())) {
        events.push_back({KeyEvent::Kind::kFunction, static_cast<int>(*tapped), 0, false});
    }
    Submit(events);
}

void CTelnetView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (!session_) return;
    const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    session_->input().keyboard().FocusGained(shift);
    accessibility_.FocusGained();
    AfterInput();
}

void CTelnetView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // A modifier pressed here and released in another window (Alt of a
    // window manager's Alt+F4) is not a tap when the view is back.
    tap_ = ModifierTap{};
}

void CTelnetView::mousePressEvent(QMouseEvent* event) {
    if (!session_ || event->button() != Qt::LeftButton) return;
    pressedHotspot_.reset();
    lastMouse_ = event->position().toPoint();
    if (const Hotspot* h = HotspotUnder(event->position().toPoint())) pressedHotspot_ = *h;
    session_->input().mouse().Press(event->position().toPoint().x() - paint_.horizontalOffset,
                                    event->position().toPoint().y());
    AfterInput();
}

void CTelnetView::mouseMoveEvent(QMouseEvent* event) {
    if (!session_) return;
    lastMouse_ = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        HoverAt(lastMouse_);
        return;
    }
    session_->input().mouse().Move(event->position().toPoint().x() - paint_.horizontalOffset,
                                   event->position().toPoint().y());
    AfterInput();
}

void CTelnetView::mouseReleaseEvent(QMouseEvent* event) {
    if (!session_) return;
    const int x = event->position().toPoint().x() - paint_.horizontalOffset;
    const int y = event->position().toPoint().y();
    OperatorInput& input = session_->input();
    if (event->button() == Qt::MiddleButton) {
        // As Linux terminals do: the primary selection is pasted where the
        // button was, by the rules of Paste.
        input.mouse().PlaceCursor(x, y);
        input.clipboard().PasteSelection();
        AfterInput();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    std::optional<Hotspot> pressed = std::move(pressedHotspot_);
    pressedHotspot_.reset();
    if (pressed && session_->terminal.selection.empty()) {
        // Released on the hotspot it went down on, without a drag: its
        // click, with the cursor left where the keys would send it from.
        const Hotspot* released = HotspotUnder(event->position().toPoint());
        if (released && SameHotspot(*released, *pressed)) {
            input.mouse().Cancel();
            PerformHotspot(*pressed);
            return;
        }
    }
    input.mouse().Release(x, y);
    // A drag's selection becomes the primary selection (a click left none).
    input.clipboard().OfferSelection();
    // A click on a choice of the host's selection fields chooses it; on a
    // scroll bar it rolls.
    const Terminal& t = session_->terminal;
    if (t.selection.empty() && t.state.cellWidth > 0 && t.state.cellHeight > 0 && x >= 0 && y >= 0 &&
        (!t.constructs.selectionFields().empty() || !t.constructs.scrollBars().empty())) {
        ClickSelectionConstruct(input, y / t.state.cellHeight, x / t.state.cellWidth);
    }
    AfterInput();
}

void CTelnetView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!session_ || event->button() != Qt::LeftButton) return;
    session_->input().mouse().DoubleClick(
        event->position().toPoint().x() - paint_.horizontalOffset, event->position().toPoint().y());
    session_->input().clipboard().OfferSelection();
    AfterInput();
}

void CTelnetView::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!session_ || !session_->terminal.state.connected) {
        wheelTravel_ = 0;
        return;
    }
    // Sideways travel (a tilt wheel, a horizontal swipe) and the empty events
    // that open and close a touchpad gesture are no roll. An event never
    // gives more than one key, so its travel is cut at one notch.
    const int dy = std::clamp(event->angleDelta().y(), -kWheelNotch, kWheelNotch);
    if (dy == 0) return;
    // Fine-grained devices report a notch in many small steps: they add up
    // to one key per notch's worth of travel in one direction, and a
    // reversal starts afresh.
    if (wheelTravel_ != 0 && (dy > 0) != (wheelTravel_ > 0)) wheelTravel_ = 0;
    wheelTravel_ += dy;
    if (std::abs(wheelTravel_) < kWheelNotch) return;
    const int vk = session_->input().keyboard().WheelKey(wheelTravel_ > 0 ? 1 : -1);
    wheelTravel_ = 0;
    if (vk == 0) return;
    Submit({{KeyEvent::Kind::kKeyDown, vk, 0, false}, {KeyEvent::Kind::kKeyUp, vk, 0, false}});
}

void CTelnetView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    lastMouse_.reset();
    HoverAt(std::nullopt);
}

void CTelnetView::SetHotspotsEnabled(bool enabled) {
    if (enabled == hotspots_.enabled()) return;
    HoverAt(std::nullopt);
    hotspots_.SetEnabled(enabled);
    if (enabled && lastMouse_) HoverAt(lastMouse_);
}

const std::vector<Hotspot>& CTelnetView::Hotspots() {
    static const std::vector<Hotspot> none;
    return session_ ? hotspots_.List(session_->terminal) : none;
}

const Hotspot* CTelnetView::HotspotUnder(const QPoint& point) {
    if (!session_ || !hotspots_.enabled()) return nullptr;
    const Terminal& t = session_->terminal;
    const int x = point.x() - paint_.horizontalOffset;
    const int y = point.y();
    if (x < 0 || y < 0 || t.state.cellWidth <= 0 || t.state.cellHeight <= 0) return nullptr;
    return hotspots_.At(t, y / t.state.cellHeight, x / t.state.cellWidth);
}

QRect CTelnetView::HotspotRect(const Hotspot& h) const {
    const PixelRect r = CellsRect(session_->terminal,
                                  CellRect{h.column, h.row, h.column + h.length, h.row + 1});
    return QtCanvas::ToQRect(ToWindow(r, paint_.horizontalOffset)).adjusted(0, 0, 1, 1);
}

void CTelnetView::HoverAt(const std::optional<QPoint>& point) {
    if (!session_) return;
    const Hotspot* under = point ? HotspotUnder(*point) : nullptr;
    const Hotspot* before = hotspots_.hovered();
    const QRect old = before ? HotspotRect(*before) : QRect();
    if (!hotspots_.Hover(under)) return;
    if (!old.isNull()) update(old);
    if (under) {
        update(HotspotRect(*under));
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
}

void CTelnetView::PaintHotspotUnderline(QPainter& painter) const {
    const Hotspot* h = hotspots_.hovered();
    if (!h || !session_) return;
    const Terminal& t = session_->terminal;
    const int pos = t.PositionOf(h->row, h->column);
    if (!t.screen.contains(pos)) return;
    // In the colour of the hotspot's text, along the bottom of its cells.
    const ScreenCell& cell = t.screen.at(pos);
    const int index = cell.extendedColor > 0 ? cell.extendedColor : cell.foreground;
    const int last = static_cast<int>(t.colors.size()) - 1;
    const std::uint32_t c = t.colors[static_cast<std::size_t>(std::clamp(index, 1, last))];
    const QRect r = HotspotRect(*h).adjusted(0, 0, -1, -1);
    const int thickness = std::max(1, t.state.cellHeight / 14);
    painter.fillRect(QRect(r.left(), r.bottom() - thickness + 1, r.width(), thickness),
                     QColor(static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)),
                            static_cast<int>(BlueOf(c))));
}

void CTelnetView::PerformHotspot(Hotspot hotspot) {
    if (!session_) return;
    try {
        if (quenlix::ClickHotspot(session_->input(), hotspot) == HotspotClickResult::kOpen) {
            emit addressClicked(QString::fromLatin1(hotspot.action));
        }
    } catch (const CBlockingSocketException& e) {
        emit sendFailed(QString::fromStdString(e.what()));
    }
    AfterInput();
}

void CTelnetView::contextMenuEvent(QContextMenuEvent* event) {
    emit contextMenuRequested(event->globalPos());
}

}  // namespace quenlix::app
