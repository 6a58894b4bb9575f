// The Printer page of Session Properties.
#include "app/PrinterSettingsPage.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPrinterInfo>
#include <QPushButton>

namespace quenlix::app {

namespace {
QString Qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
}  // namespace

PrinterSettingsPage::PrinterSettingsPage(QWidget* parent)
    : QWidget(parent),
      messageQueue(new QLineEdit(this)),
      messageLibrary(new QLineEdit(this)),
      font(new QSpinBox(this)),
      transform(new QCheckBox(QStringLiteral("Host print transform"), this)),
      model(new QLineEdit(this)),
      paper(new QComboBox(this)),
      outputFolder(new QLineEdit(this)),
      systemPrinter(new QComboBox(this)) {
    for (QLineEdit* e : {messageQueue, messageLibrary, model}) e->setMaxLength(kNameLimit);
    font->setRange(1, 65535);
    std::size_t count = 0;
    const PaperSize* sizes = PaperSizes(count);
    for (std::size_t i = 0; i < count; ++i) paper->addItem(QString::fromLatin1(sizes[i].name));
    systemPrinter->addItem(QStringLiteral("(none: PDF files only)"), QString());
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        systemPrinter->addItem(name, name);
    }
    chooseFolder = [this](const QString& current) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Folder for printed files"),
                                                 current);
    };
    auto* browse = new QPushButton(QStringLiteral("Browse…"), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = chooseFolder(outputFolder->text());
        if (!chosen.isEmpty()) outputFolder->setText(chosen);
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(outputFolder);
    folderRow->addWidget(browse);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Message queue"), messageQueue);
    form->addRow(QStringLiteral("Message queue library"), messageLibrary);
    form->addRow(QStringLiteral("Font"), font);
    form->addRow(QString(), transform);
    form->addRow(QStringLiteral("Printer model"), model);
    form->addRow(QStringLiteral("Paper size"), paper);
    form->addRow(QStringLiteral("Folder for PDF files"), folderRow);
    form->addRow(QStringLiteral("System printer"), systemPrinter);
    connect(transform, &QCheckBox::toggled, model, &QWidget::setEnabled);
    model->setEnabled(false);
}

void PrinterSettingsPage::Load(const SessionSettings& s) {
    messageQueue->setText(Qs(s.PrinterMessageQueue));
    messageLibrary->setText(Qs(s.PrinterMessageLibrary));
    font->setValue(s.PrinterFont);
    transform->setChecked(s.HostPrintTransform != 0);
    model->setText(Qs(s.PrinterModel));
    model->setEnabled(transform->isChecked());
    paper->setCurrentText(QString::fromLatin1(FindPaperSize(s.PaperSizeName).name));
    outputFolder->setText(Qs(s.OutputFolder));
    // A printer the file names that this computer does not have is kept.
    const QString printer = Qs(s.SystemPrinter);
    int index = systemPrinter->findData(printer);
    if (index < 0) {
        systemPrinter->addItem(printer, printer);
        index = systemPrinter->count() - 1;
    }
    systemPrinter->setCurrentIndex(index);
}

void PrinterSettingsPage::Apply(SessionSettings& s) const {
    s.PrinterMessageQueue = messageQueue->text().toStdString();
    s.PrinterMessageLibrary = messageLibrary->text().toStdString();
    s.PrinterFont = font->value();
    s.HostPrintTransform = transform->isChecked() ? 1 : 0;
    s.PrinterModel = model->text().toStdString();
    s.PaperSizeName = paper->currentText().toStdString();
    s.OutputFolder = outputFolder->text().toStdString();
    s.SystemPrinter = systemPrinter->currentData().toString().toStdString();
}

}  // namespace quenlix::app
