// The splash window and its picture rotation.
#include "app/Splash.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

namespace quenlix::app {

namespace {
int liveSplashes = 0;
}  // namespace

QString SplashFolder(const QString& dataFolder) {
    return QDir(dataFolder).filePath(QStringLiteral("ADS"));
}

QString ChooseSplashPicture(const QString& folder, SettingsStore& store) {
    QDir dir(folder);
    // Name order, without regard to case: the order the original platform's
    // file system lists a folder in, and the same on every system.
    const QStringList files =
        dir.entryList({QStringLiteral("*.jpg")}, QDir::Files | QDir::Hidden,
                      QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty()) return {};
    const auto stored = static_cast<std::int32_t>(store.ReadInt(kAdsSection, kAdsIndexName, 0));
    const qsizetype index = stored < 0 || stored >= files.size() ? 0 : stored;
    store.WriteInt(kAdsSection, kAdsIndexName, static_cast<std::uint32_t>(index + 1));
    return dir.filePath(files.at(index));
}

QPixmap LoadSplashPicture(const QString& path, const QSize& bound) {
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) return {};
    QPixmap picture = QPixmap::fromImage(image);
    if (bound.isValid() && (picture.width() > bound.width() || picture.height() > bound.height())) {
        picture = picture.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return picture;
}

CSplashWnd::CSplashWnd(const QPixmap& picture, QWidget* owner, int milliseconds)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(picture),
      owner_(owner) {
    ++liveSplashes;
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    setFixedSize(picture.size());
    if (owner) {
        const QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
    timer_.start(milliseconds);
}

CSplashWnd::~CSplashWnd() {
    --liveSplashes;
    if (owner_) owner_->repaint();
}

bool CSplashWnd::Showing() { return liveSplashes > 0; }

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
}

CSplashWnd* ShowSplash(QWidget& mainWindow, SettingsStore& store, const QString& dataFolder,
                       int milliseconds) {
    const QString path = ChooseSplashPicture(SplashFolder(dataFolder), store);
    if (path.isEmpty()) return nullptr;
    // A picture larger than the screen would make a window nobody can see
    // whole: it is shown scaled down to the screen.
    const QScreen* screen = mainWindow.screen();
    const QSize bound = screen ? screen->availableSize() : QSize();
    const QPixmap picture = LoadSplashPicture(path, bound);
    if (picture.isNull()) return nullptr;
    auto* splash = new CSplashWnd(picture, &mainWindow, milliseconds);
    splash->show();
    splash->repaint();
    return splash;
}

CSplashWnd* ShowStartupSplash(QWidget& mainWindow, SettingsStore& store,
                              const QString& dataFolder) {
    static bool done = false;
    if (done) return nullptr;
    done = true;
    return ShowSplash(mainWindow, store, dataFolder);
}

void WaitWhileSplashShown() {
    if (!CSplashWnd::Showing()) return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
        if (!CSplashWnd::Showing()) loop.quit();
    });
    poll.start(20);
    loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

}  // namespace quenlix::app
