// Pictures drawn with QPainter, and the image button.
#include "app/ButtonPictures.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

#include "app/CommandIds.h"

namespace quenlix::app {

QImage FolderPicture() {
    // Indexed 4-bit colours, kept in an 8-bit image with a 16-entry table.
    static const char* const kRows[13] = {
        "GGGGGGGGGGGGGGG",  //
        "GGGGGGGGGGGGGGG",  //
        "GGKKKKGGGGGGGGG",  //
        "GKYWYWKGGGGGGGG",  //
        "KYWYWYWKKKKKKGG",  //
        "KWYWYWYWYWYWKGG",  //
        "KYWYKKKKKKKKKKK",  //
        "KWYKYYYYYYYYYKG",  //
        "KYKYYYYYYYYYKGG",  //
        "KWKYYYYYYYYYKGG",  //
        "KKYYYYYYYYYKGGG",  //
        "KKKKKKKKKKKKGGG",  //
        "GGGGGGGGGGGGGGG",  //
    };
    QImage image(15, 13, QImage::Format_Indexed8);
    QList<QRgb> table(16, qRgb(0, 0, 0));
    table[0] = qRgb(0, 0, 0);          // K: outline
    table[1] = qRgb(255, 255, 0);      // Y: folder
    table[2] = qRgb(255, 255, 255);    // W: highlight
    table[3] = kFolderKeyColour;       // G: background, the key colour
    table[4] = qRgb(128, 128, 0);      // spare entries of the 16-colour table
    image.setColorTable(table);
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 15; ++x) {
            const char c = kRows[y][x];
            image.setPixel(x, y, c == 'K' ? 0 : c == 'Y' ? 1 : c == 'W' ? 2 : 3);
        }
    }
    return image;
}

QImage LoadKeyedBitmap(const QImage& picture, QRgb key, QRgb replacement) {
    QImage result = picture;
    QList<QRgb> table = result.colorTable();
    if (table.isEmpty()) return result;
    for (QRgb& entry : table) {
        if (qRed(entry) == qRed(key) && qGreen(entry) == qGreen(key) && qBlue(entry) == qBlue(key)) {
            entry = replacement;
        }
    }
    result.setColorTable(table);
    return result;
}

CImageButton::CImageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAccessibleName(caption);
    setToolTip(caption);
}

void CImageButton::SetButtonPicture(const QImage& picture, const QImage& pushed, QRgb key) {
    source_ = picture;
    pushedSource_ = pushed;
    key_ = key;
    Reload();
}

void CImageButton::Reload() {
    const QRgb face = palette().color(QPalette::Button).rgb();
    picture_ = LoadKeyedBitmap(source_, key_, face);
    pushed_ = pushedSource_.isNull() ? QImage() : LoadKeyedBitmap(pushedSource_, key_, face);
    update();
}

void CImageButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !source_.isNull()) Reload();
}

QSize CImageButton::sizeHint() const {
    if (picture_.isNull()) return QPushButton::sizeHint();
    return picture_.size() + QSize(8, 6);
}

void CImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor light = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Mid);
    const QColor dark = pal.color(QPalette::Shadow);
    QRect r = rect();
    const bool focused = hasFocus();
    if (focused) {
        p.setPen(dark);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    // A double frame: the outer pair of colours, then the inner pair.
    auto frame = [&p](QRect box, QColor topLeft, QColor bottomRight) {
        p.setPen(topLeft);
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
    };
    const bool pushed = isDown();
    p.fillRect(r, face);
    if (pushed) {
        frame(r, dark, light);
        frame(r.adjusted(1, 1, -1, -1), shadow, face);
    } else {
        frame(r, light, dark);
        frame(r.adjusted(1, 1, -1, -1), face, shadow);
    }
    const QImage& picture = pushed && !pushed_.isNull() ? pushed_ : picture_;
    if (!picture.isNull()) {
        const int x = (width() - picture.width()) / 2;
        const int y = (height() - picture.height()) / 2;
        if (!isEnabled()) {
            // Embossed: the shape in the highlight colour, then in the shadow
            // colour one pixel up and left.
            QImage mask = picture.convertToFormat(QImage::Format_ARGB32);
            const QRgb faceRgb = face.rgb();
            for (int yy = 0; yy < mask.height(); ++yy) {
                auto* line = reinterpret_cast<QRgb*>(mask.scanLine(yy));
                for (int xx = 0; xx < mask.width(); ++xx) {
                    line[xx] = (line[xx] & 0xFFFFFF) == (faceRgb & 0xFFFFFF) ? 0 : 0xFF000000;
                }
            }
            auto tinted = [&mask](QColor c) {
                QImage t = mask;
                QPainter tp(&t);
                tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tp.fillRect(t.rect(), c);
                return t;
            };
            p.drawImage(x + 1, y + 1, tinted(light));
            p.drawImage(x, y, tinted(shadow));
        } else {
            p.drawImage(pushed ? x + 1 : x, pushed ? y + 1 : y, picture);
        }
    }
    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

CImageButton* MakeBrowseButton(QWidget* parent) {
    auto* button = new CImageButton(QStringLiteral("Browse"), parent);
    button->SetButtonPicture(FolderPicture(), QImage(), kFolderKeyColour);
    return button;
}

namespace {

constexpr int kIconSize = 32;

QPixmap Canvas() {
    QPixmap pm(kIconSize, kIconSize);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon PageIcon(bool twoPages) {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    auto page = [&p](QRectF r) {
        p.setPen(QPen(QColor(40, 40, 60), 1.6));
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setPen(QPen(QColor(70, 110, 180), 1.4));
        for (qreal y = r.top() + 5; y < r.bottom() - 3; y += 4) {
            p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
        }
    };
    if (twoPages) {
        page(QRectF(4, 3, 15, 19));
        page(QRectF(13, 10, 15, 19));
    } else {
        page(QRectF(8, 4, 16, 22));
    }
    return QIcon(pm);
}

QIcon PasteIcon() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 20), 1.6));
    p.setBrush(QColor(200, 150, 80));
    p.drawRoundedRect(QRectF(4, 5, 18, 23), 2, 2);
    p.setBrush(QColor(150, 150, 160));
    p.drawRect(QRectF(9, 2, 8, 5));
    p.setPen(QPen(QColor(40, 40, 60), 1.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(13, 12, 15, 17));
    return QIcon(pm);
}

QIcon PrinterIcon() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 60), 1.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(120, 125, 140));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QColor(40, 200, 60));
    p.drawPoint(QPointF(25, 15));
    return QIcon(pm);
}

QIcon GlobeIcon() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 130), 1.6));
    p.setBrush(QColor(90, 160, 230));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10, 3, 12, 26));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.drawLine(QPointF(5, 9), QPointF(27, 9));
    p.drawLine(QPointF(5, 23), QPointF(27, 23));
    return QIcon(pm);
}

QIcon KeyboardIcon() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 60), 1.4));
    p.setBrush(QColor(220, 220, 228));
    p.drawRoundedRect(QRectF(2, 8, 28, 17), 3, 3);
    p.setBrush(Qt::white);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 6; ++col) {
            p.drawRect(QRectF(4.5 + col * 4, 10.5 + row * 4, 3, 3));
        }
    }
    p.setPen(QPen(QColor(20, 60, 130), 2));
    p.drawText(QRectF(18, 0, 14, 10), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pm);
}

/// A key cap with its word, as the special keys appear on a 5250 keyboard.
QIcon KeyCapIcon(const QString& word) {
    QPixmap pm(56, 28);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 28);
    g.setColorAt(0, QColor(250, 250, 246));
    g.setColorAt(1, QColor(196, 196, 190));
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 1.5, 53, 25), 4, 4);
    QFont f = QApplication::font();
    f.setBold(true);
    // The largest size up to 11 pixels at which the word fits the cap.
    for (int size = 11; size >= 6; --size) {
        f.setPixelSize(size);
        const QRect need = QFontMetrics(f).boundingRect(QRect(0, 0, 50, 24), Qt::AlignCenter, word);
        if (need.width() <= 50 && need.height() <= 24) break;
    }
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRectF(2, 2, 52, 23), Qt::AlignCenter, word);
    return QIcon(pm);
}

}  // namespace

QIcon ConnectPicture(int picture) {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool joined = picture != 0;
    const QColor body = joined ? QColor(40, 160, 60) : QColor(190, 60, 40);
    p.setPen(QPen(QColor(30, 30, 30), 1.4));
    p.setBrush(body);
    // The plug and the socket; joined while connected.
    const qreal gap = joined ? 0 : 6;
    p.drawRoundedRect(QRectF(3, 11, 10 - gap / 2, 10), 2, 2);
    p.drawRoundedRect(QRectF(19 + gap / 2, 11, 10 - gap / 2, 10), 2, 2);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.drawLine(QPointF(13 - gap / 2, 13.5), QPointF(19 + gap / 2 - (joined ? 0 : 3), 13.5));
    p.drawLine(QPointF(13 - gap / 2, 18.5), QPointF(19 + gap / 2 - (joined ? 0 : 3), 18.5));
    p.setPen(QPen(body.darker(), 2));
    p.drawLine(QPointF(0, 16), QPointF(3, 16));
    p.drawLine(QPointF(29, 16), QPointF(32, 16));
    return QIcon(pm);
}

QIcon CommandPicture(int commandId) {
    switch (commandId) {
        case kCmdConnectDisconnect: return ConnectPicture(0);
        case kCmdCopy: return PageIcon(true);
        case kCmdPaste: return PasteIcon();
        case kCmdPrint: return PrinterIcon();
        case kCmdWebSite: return GlobeIcon();
        case kCmdKeyboardLayout: return KeyboardIcon();
        case kCmdSystemRequest: return KeyCapIcon(QStringLiteral("Sys\nReq"));
        case kCmdAttention: return KeyCapIcon(QStringLiteral("Attn"));
        case kCmdPrevious: return KeyCapIcon(QStringLiteral("Previous"));
        case kCmdNext: return KeyCapIcon(QStringLiteral("Next"));
        case kCmdDeleteFields: return KeyCapIcon(QStringLiteral("Del\nFields"));
        case kCmdRefresh: return KeyCapIcon(QStringLiteral("Refresh"));
        case kCmdPa1: return KeyCapIcon(QStringLiteral("PA1"));
        case kCmdPa2: return KeyCapIcon(QStringLiteral("PA2"));
        case kCmdPa3: return KeyCapIcon(QStringLiteral("PA3"));
        case kCmdPrintKey: return KeyCapIcon(QStringLiteral("Print"));
        case kCmdHelpKey: return KeyCapIcon(QStringLiteral("Help"));
        default: return {};
    }
}

}  // namespace quenlix::app
