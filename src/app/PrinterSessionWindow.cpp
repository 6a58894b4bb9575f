// The printer session's window.
#include "app/PrinterSessionWindow.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QSysInfo>
#include <QUrl>
#include <QVBoxLayout>

#include "session/ConnectFile.h"
#include "terminal/TranslationCache.h"

namespace quenlix::app {

namespace {
QString Qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
}  // namespace

PrinterSessionWindow::PrinterSessionWindow(const SessionSettings& settings,
                                           const std::string& tableDirectory, QWidget* parent)
    : QWidget(parent),
      notifier_([this] { session_.endpoint().OnSocketEvent(); },
                [this] { session_.endpoint().OnSocketWritable(); }),
      session_(PrinterFrontEnd{*this, messages_, notifier_}, tableDirectory),
      state_(new QLabel(this)),
      message_(new QLabel(this)),
      files_(new QListWidget(this)),
      open_(new QPushButton(QStringLiteral("&Open"), this)),
      pause_(new QPushButton(QStringLiteral("&Pause"), this)) {
    session_.settings = settings;
    messages_.SetParent(this);
    setWindowTitle(
        QStringLiteral("Printer: %1").arg(Qs(settings.Name.empty() ? settings.IP : settings.Name)));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(state_);
    layout->addWidget(message_);
    layout->addWidget(new QLabel(QStringLiteral("Files written:"), this));
    layout->addWidget(files_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open_);
    buttons->addStretch();
    buttons->addWidget(pause_);
    layout->addLayout(buttons);
    open_->setEnabled(false);
    pause_->setEnabled(false);
    openFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    sendRaw = ProcessRawPrintRunner(this);
    connect(open_, &QPushButton::clicked, this, &PrinterSessionWindow::OpenSelected);
    connect(files_, &QListWidget::itemActivated, this, &PrinterSessionWindow::OpenSelected);
    connect(files_, &QListWidget::currentRowChanged, this,
            [this](int row) { open_->setEnabled(row >= 0); });
    connect(pause_, &QPushButton::clicked, this, &PrinterSessionWindow::TogglePause);
    connect(&tick_, &QTimer::timeout, this, [this] { session_.OnTimerTick(); });
    tick_.start(static_cast<int>(TerminalSession::kTickInterval.count()));
    stateLine_ = QStringLiteral("Not connected");
    ShowState();
    resize(480, 320);
}

PrinterSessionWindow::~PrinterSessionWindow() {
    tick_.stop();
    session_.EndSession();
    EndSystemPrinterJob();
}

bool PrinterSessionWindow::Start() {
    message_->clear();
    stateLine_ = QStringLiteral("Connecting to %1…").arg(Qs(session_.settings.IP));
    ShowState();
    const bool connected = session_.StartConnection();
    stateLine_ = connected ? QStringLiteral("Waiting for the host to start the printer…")
                           : QStringLiteral("Not connected");
    ShowState();
    return connected;
}

void PrinterSessionWindow::ShowState() {
    state_->setText(session_.paused() ? stateLine_ + QStringLiteral(" (paused)") : stateLine_);
    pause_->setText(session_.paused() ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
}

void PrinterSessionWindow::PrinterReady(const scs::StartupCode& code) {
    stateLine_ = QStringLiteral("Ready — waiting for spooled output");
    message_->setText(QStringLiteral("%1 %2").arg(Qs(code.code), Qs(std::string(code.Text()))));
    pause_->setEnabled(true);
    ShowState();
}

void PrinterSessionWindow::PrinterRefused(const scs::StartupCode& code) {
    stateLine_ = QStringLiteral("The host did not start the printer");
    message_->setText(QStringLiteral("%1 %2").arg(Qs(code.code), Qs(std::string(code.Text()))));
    pause_->setEnabled(false);
    ShowState();
}

void PrinterSessionWindow::PageLaidOut(const scs::PrintedPage& page) {
    if (!session_.settings.SystemPrinter.empty()) PrintOnSystemPrinter(page);
}

void PrinterSessionWindow::PagePrinted(const std::string& path, int page) {
    stateLine_ =
        QStringLiteral("Printing page %1 of %2…").arg(page).arg(QFileInfo(Qs(path)).fileName());
    ShowState();
}

void PrinterSessionWindow::FilePrinted(const std::string& path, int pages) {
    EndSystemPrinterJob();
    auto* item = new QListWidgetItem(
        pages > 0 ? QStringLiteral("%1 (%2 pages)").arg(QFileInfo(Qs(path)).fileName()).arg(pages)
                  : QFileInfo(Qs(path)).fileName());
    item->setData(Qt::UserRole, Qs(path));
    files_->insertItem(0, item);
    while (files_->count() > kFilesShown) delete files_->takeItem(files_->count() - 1);
    stateLine_ = QStringLiteral("Ready — waiting for spooled output");
    ShowState();
    if (session_.settings.HostPrintTransform != 0 && !session_.settings.SystemPrinter.empty()) {
        SendRawToSystemPrinter(Qs(path));
    }
}

void PrinterSessionWindow::SendRawToSystemPrinter(const QString& path) {
    const QString printer = Qs(session_.settings.SystemPrinter);
    const QString name = QFileInfo(path).fileName();
    const RawPrintCommand command =
        RawPrintCommandFor(printer, path, QStringLiteral("Quenlix Telnet: ") + name);
    if (command.program.isEmpty()) {
        message_->setText(QStringLiteral("%1 was not sent: \"%2\" is not a printer's name")
                              .arg(name, printer));
        return;
    }
    if (!sendRaw) return;
    QPointer<PrinterSessionWindow> self(this);
    sendRaw(command, [self, name, printer](const QString& error) {
        if (!self) return;
        self->message_->setText(
            error.isEmpty()
                ? QStringLiteral("%1 sent untouched to %2").arg(name, printer)
                : QStringLiteral("%1 was not sent to %2: %3").arg(name, printer, error));
    });
}

void PrinterSessionWindow::Problem(const std::string& text) { message_->setText(Qs(text)); }

void PrinterSessionWindow::SessionEnded(const std::string& notice) {
    EndSystemPrinterJob();
    if (session_.state() != PrinterSession::State::kRefused) {
        stateLine_ = QStringLiteral("Not connected: %1").arg(Qs(notice));
    }
    pause_->setEnabled(false);
    ShowState();
}

void PrinterSessionWindow::TogglePause() {
    if (session_.paused()) {
        session_.Resume();
    } else {
        session_.Pause();
    }
    ShowState();
}

void PrinterSessionWindow::OpenSelected() {
    const QListWidgetItem* item = files_->currentItem();
    if (item && openFile) openFile(item->data(Qt::UserRole).toString());
}

void PrinterSessionWindow::PrintOnSystemPrinter(const scs::PrintedPage& page) {
    if (!painter_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPrinterName(Qs(session_.settings.SystemPrinter));
        printer_->setFullPage(true);
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(printer_.get())) {
            message_->setText(QStringLiteral("The printer %1 could not be used")
                                  .arg(Qs(session_.settings.SystemPrinter)));
            painter_.reset();
            printer_.reset();
            return;
        }
    } else {
        printer_->newPage();
    }
    // One print position a character of a monospaced font, as in the PDF.
    const QRectF area = printer_->pageRect(QPrinter::DevicePixel);
    const double dpiX = printer_->logicalDpiX();
    const double dpiY = printer_->logicalDpiY();
    const double cellWidth = dpiX / page.charactersPerInch;
    const double cellHeight = dpiY / page.linesPerInch;
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(std::max(1, static_cast<int>(cellHeight * 0.8)));
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    painter_->setFont(font);
    const QFontMetricsF metrics(font, printer_.get());
    const double stretch = metrics.horizontalAdvance(QLatin1Char('M')) > 0
                               ? cellWidth / metrics.horizontalAdvance(QLatin1Char('M'))
                               : 1.0;
    for (int line = 1; line <= page.UsedLines(); ++line) {
        const QString text = QString::fromUtf8(page.LineText(line).c_str());
        if (text.isEmpty()) continue;
        painter_->save();
        painter_->translate(area.left(), area.top() + (line - 1) * cellHeight + metrics.ascent());
        painter_->scale(stretch, 1.0);
        painter_->drawText(QPointF(0, 0), text);
        painter_->restore();
    }
}

void PrinterSessionWindow::EndSystemPrinterJob() {
    if (painter_) painter_->end();
    painter_.reset();
    printer_.reset();
}

namespace {
std::string ComputerName() {
    return QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).left(15).toStdString();
}
}  // namespace

bool IsPrinterSessionFile(const QString& path) {
    SessionSettings s;
    return CConnectFile::ReadSessionFile(path.toStdString(), s, ComputerName()) && s.IsPrinter();
}

PrinterSessionWindow* OpenPrinterSessionFile(const QString& path, QWidget* parent) {
    SessionSettings s;
    if (!CConnectFile::ReadSessionFile(path.toStdString(), s, ComputerName())) {
        QMessageBox::warning(parent, QStringLiteral("Printer session"),
                             QStringLiteral("Cannot open the file\n%1").arg(path));
        return nullptr;
    }
    s.Device = DeviceKind::kPrinter;
    auto* window = new PrinterSessionWindow(s, DataDirectory(), nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->Start();
    return window;
}

void ChoosePrinterSessionFile(QWidget* parent) {
    const QString path =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Open Printer Session"), QString(),
                                     QStringLiteral("Session files (*.stn);;All files (*)"));
    if (!path.isEmpty()) OpenPrinterSessionFile(path, parent);
}

}  // namespace quenlix::app
