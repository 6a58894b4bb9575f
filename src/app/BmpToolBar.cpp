// Texture tile, the bars' style and the dock-area painting.
#include "app/BmpToolBar.h"

#include <QEvent>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTimer>
#include <QToolBar>

#include "app/ButtonPictures.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"

namespace quenlix::app {

QPixmap TextureTile() {
    // A brushed-metal weave: a warm grey base, soft diagonal grain and a
    // fine dot pattern, seamless at the tile's edges.
    constexpr int kSize = 26;
    QImage tile(kSize, kSize, QImage::Format_RGB32);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int v = 206;
            v += ((x + y) % 13 < 2) ? 10 : 0;         // diagonal grain
            v -= ((x * 7 + y * 3) % 26 < 3) ? 9 : 0;  // cross grain
            v += ((x % 2) == (y % 2)) ? 3 : -3;       // fine weave
            v = std::clamp(v, 0, 255);
            tile.setPixel(x, y, qRgb(v, v, std::max(0, v - 10)));
        }
    }
    return QPixmap::fromImage(tile);
}

void TileArea(QPainter& painter, const QRect& area, const QPixmap& tile) {
    if (tile.isNull()) return;
    for (int x = area.left(); x <= area.right(); x += tile.width()) {
        for (int y = area.top(); y <= area.bottom(); y += tile.height()) {
            painter.drawPixmap(x, y, tile);
        }
    }
}

CBmpToolBarStyle::CBmpToolBarStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))),
                                       tile_(TextureTile()) {}

void CBmpToolBarStyle::drawControl(ControlElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (element == CE_ToolBar) {
        painter->save();
        painter->setClipRect(option->rect);
        TileArea(*painter, option->rect, tile_);
        painter->restore();
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void CBmpToolBarStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    if (element == PE_PanelToolBar || element == PE_FrameDockWidget) {
        painter->save();
        painter->setClipRect(option->rect);
        TileArea(*painter, option->rect, tile_);
        painter->restore();
        if (element == PE_PanelToolBar) return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

namespace {

/// Paints the main window's own area (the dock areas around the bars)
/// with the texture before the window paints, with a shadow and a highlight
/// line where the dock area meets the menu bar and the status bar.
class DockAreaPainter : public QObject {
public:
    DockAreaPainter(CMainFrame& frame) : QObject(&frame), frame_(frame), tile_(TextureTile()) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &frame_ && event->type() == QEvent::Paint) {
            auto* paint = static_cast<QPaintEvent*>(event);
            QPainter p(&frame_);
            p.setClipRegion(paint->region());
            TileArea(p, frame_.rect(), tile_);
            const QPalette& pal = frame_.palette();
            if (QWidget* menu = frame_.menuWidget(); menu && menu->isVisible()) {
                const int y = menu->geometry().bottom() + 1;
                p.setPen(pal.color(QPalette::Mid));
                p.drawLine(0, y, frame_.width(), y);
                p.setPen(pal.color(QPalette::Light));
                p.drawLine(0, y + 1, frame_.width(), y + 1);
            }
            if (QStatusBar* status = frame_.findChild<QStatusBar*>(); status && status->isVisible()) {
                const int y = status->geometry().top() - 1;
                p.setPen(pal.color(QPalette::Light));
                p.drawLine(0, y, frame_.width(), y);
                p.setPen(pal.color(QPalette::Mid));
                p.drawLine(0, y - 1, frame_.width(), y - 1);
            }
        }
        return false;
    }

private:
    CMainFrame& frame_;
    QPixmap tile_;
};

}  // namespace

void DecorateBars(CMainFrame& frame) {
    auto* style = new CBmpToolBarStyle;
    style->setParent(&frame);
    for (QToolBar* bar : {frame.commandBar(), frame.specialKeyBar(), frame.helpBar()}) {
        if (!bar) continue;
        bar->setStyle(style);
        for (QAction* a : bar->actions()) {
            const QIcon icon = CommandPicture(a->data().toInt());
            if (!icon.isNull()) a->setIcon(icon);
        }
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    if (QToolBar* keys = frame.specialKeyBar()) keys->setIconSize(QSize(56, 28));
    for (QToolBar* bar : {frame.commandBar(), frame.helpBar()}) {
        if (bar) bar->setIconSize(QSize(24, 24));
    }
    frame.installEventFilter(new DockAreaPainter(frame));

    // The Connect/Disconnect picture follows the connection.
    QAction* connect = frame.action(kCmdConnectDisconnect);
    if (!connect) return;
    auto* timer = new QTimer(&frame);
    auto shown = std::make_shared<int>(-1);
    QObject::connect(timer, &QTimer::timeout, &frame, [&frame, connect, shown] {
        const int picture = frame.connectButtonPicture();
        if (picture == *shown) return;
        *shown = picture;
        connect->setIcon(ConnectPicture(picture));
    });
    timer->start(250);
}

}  // namespace quenlix::app
