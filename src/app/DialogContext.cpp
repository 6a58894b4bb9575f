// The dialogs' view of the program.
#include "app/DialogContext.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/CMainFrame.h"
#include "app/Printing.h"
#include "terminal/TranslationCache.h"

namespace quenlix::app {

DialogContext::DialogContext(CMainFrame& frame, Terminal& terminal, MessageBoxes& messages)
    : DialogContext(frame, [t = &terminal]() -> Terminal& { return *t; }, messages) {}

DialogContext::DialogContext(CMainFrame& frame, std::function<Terminal&()> terminal,
                             MessageBoxes& messages)
    : QObject(&frame),
      frame_(frame),
      terminal_(std::move(terminal)),
      messages_(messages),
      settings_(&ownSettings_),
      store_(&ownStore_) {
    setObjectName(QStringLiteral("DialogContext"));
    // Until the program's own preferences arrive, mirror what is in force.
    ownSettings_.colors = terminal_().colors;
    // A window made to take a tab has no view yet.
    if (const CTelnetView* v = frame_.view()) {
        ownSettings_.Face = v->fontPreferences().face;
        ownSettings_.Bold = v->fontPreferences().weight;
        ownSettings_.Italic = v->fontPreferences().italic ? 1 : 0;
        ownSettings_.ImageFile = v->background().imageFile;
        ownSettings_.BkgndActive = v->background().active ? 1 : 0;
        ownSettings_.BkgndMode = v->background().mode;
    }
    programPath = QCoreApplication::applicationFilePath();
    dataFolder = QString::fromStdString(DataDirectory());
    printerExists = [](const QString& name) { return !QPrinterInfo::printerInfo(name).isNull(); };
}

DialogContext::~DialogContext() = default;

CTelnetView& DialogContext::view() const { return *frame_.view(); }

void DialogContext::UseUserSettings(UserSettings* settings) {
    settings_ = settings ? settings : &ownSettings_;
}

void DialogContext::UseSettingsStore(SettingsStore* store) {
    store_ = store ? store : &ownStore_;
}

QPrinter& DialogContext::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        RestoreStoredPrinter(settings(), *printer_, printerExists);
    }
    return *printer_;
}

void DialogContext::SelectPrinter(std::unique_ptr<QPrinter> printer) { printer_ = std::move(printer); }

QString QtFileFilter(std::string_view table) {
    const QStringList parts = QString::fromUtf8(table.data(), qsizetype(table.size()))
                                  .split(QLatin1Char('|'), Qt::KeepEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString description = parts[i];
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open > 0) description = description.left(open).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

DialogContext* DialogContextOf(const QObject& frame) {
    return frame.findChild<DialogContext*>(QStringLiteral("DialogContext"),
                                           Qt::FindDirectChildrenOnly);
}

}  // namespace quenlix::app
