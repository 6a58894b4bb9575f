// The start-up splash: a picture from the "ADS" folder of the program's data,
// a different one at each start (the position is kept as "Index" in section
// "Ads"), centred over the main window for four seconds.
#pragma once

#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "prefs/SettingsStore.h"

namespace quenlix::app {

inline constexpr std::string_view kAdsSection = "Ads";
inline constexpr std::string_view kAdsIndexName = "Index";
/// How long the splash stays, milliseconds.
inline constexpr int kSplashMilliseconds = 4000;

/// The folder of splash pictures: "ADS" in the program's data folder.
QString SplashFolder(const QString& dataFolder);

/// The next picture of the rotation: the ".jpg" files of the folder (in name
/// order, directories skipped), the one at "Index" (0 when the stored value
/// is negative or past the end), and "Index" := that position + 1. Empty,
/// writing nothing, when the folder has no ".jpg" file.
QString ChooseSplashPicture(const QString& folder, SettingsStore& store);

/// The picture decoded, at most `bound` in size (scaled down keeping its
/// shape when larger); null when it cannot be decoded (among them the
/// metafile types, which Qt does not read).
QPixmap LoadSplashPicture(const QString& path, const QSize& bound);

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    CSplashWnd(const QPixmap& picture, QWidget* owner, int milliseconds);
    ~CSplashWnd() override;
    /// True while a splash is on the screen (start-up waits for it).
    static bool Showing();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QTimer timer_;
    QWidget* owner_;
};

/// Chooses, loads and shows the splash over `mainWindow`. Null when there
/// is no picture or it cannot be decoded; "Index" advances all the same.
CSplashWnd* ShowSplash(QWidget& mainWindow, SettingsStore& store, const QString& dataFolder,
                       int milliseconds = kSplashMilliseconds);

/// The start-up splash: ShowSplash the first time it is called in a run,
/// nothing afterwards (start-up may call it, and the window decoration
/// calls it once the main window is on the screen).
CSplashWnd* ShowStartupSplash(QWidget& mainWindow, SettingsStore& store,
                              const QString& dataFolder);

/// Runs paint and timer work (no input, no sockets) until the splash has gone.
void WaitWhileSplashShown();

}  // namespace quenlix::app
