// The Appearance dialog.
#include "app/CDlgAppearance.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ButtonPictures.h"
#include "app/CTelnetView.h"
#include "app/DialogContext.h"
#include "terminal/StringTable.h"

namespace quenlix::app {

ComponentEdit::ComponentEdit(QWidget* parent) : QWidget(parent), edit_(new QLineEdit(this)) {
    edit_->setMaxLength(3);
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    edit_->installEventFilter(this);
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setAutoRepeat(true);
    down->setAutoRepeat(true);
    up->setFocusPolicy(Qt::NoFocus);
    down->setFocusPolicy(Qt::NoFocus);
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(edit_, 1);
    row->addLayout(arrows);
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(edit_, &QLineEdit::textChanged, this, &ComponentEdit::textEdited);
}

int ComponentEdit::value() const {
    const QString text = edit_->text().left(32);
    int v = 0;
    for (QChar c : text) {
        if (!c.isDigit()) break;
        v = v * 10 + c.digitValue();
    }
    return v;
}

void ComponentEdit::setValue(int value) { edit_->setText(QString::number(value)); }

void ComponentEdit::Step(int delta) {
    setValue(std::clamp(std::clamp(value(), 0, 255) + delta, 0, 255));
}

bool ComponentEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

namespace {
QString Name(int id) { return QString::number(id); }
}  // namespace

QString PictureFileFilter() {
    // The types of string 510 first (the metafiles among them), then every
    // other type the decoder reads.
    QStringList patterns;
    const QString table = QString::fromUtf8(LoadString(kStrImageFileFilter).data());
    for (const QString& p : table.section(QLatin1Char('|'), 1, 1).split(QLatin1Char(';'))) {
        if (!p.isEmpty()) patterns << p.toLower();
    }
    QStringList others;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (!patterns.contains(pattern) && !others.contains(pattern)) others << pattern;
    }
    others.sort();
    patterns << others;
    return QStringLiteral("Image files (") + patterns.join(QLatin1Char(' ')) +
           QStringLiteral(");;All files (*)");
}

QRect CDlgAppearance::Dlu(int x, int y, int w, int h) const {
    // Dialog units: a quarter of the average character width across, an
    // eighth of the character height down.
    const QFontMetrics m(font());
    const int baseX = std::max(1, m.horizontalAdvance(
                                      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                                      52);
    const int baseY = std::max(1, m.height());
    return QRect(x * baseX / 4, y * baseY / 8, w * baseX / 4, h * baseY / 8);
}

CDlgAppearance::CDlgAppearance(DialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(QStringLiteral("Appearance"));
    // Ten units taller than the classic layout: the line that says why no
    // picture shows sits between the picture group and the buttons.
    setFixedSize(Dlu(0, 0, 205, 200).size());

    auto* colors = new QGroupBox(QStringLiteral("Colors"), this);
    colors->setGeometry(Dlu(5, 5, 195, 95));
    auto label = [this](const char* text, int x, int y) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->move(Dlu(x, y, 0, 0).topLeft());
        l->adjustSize();
    };
    label("Element", 12, 17);
    elements_ = new QComboBox(this);
    elements_->setObjectName(Name(kElementList));
    elements_->addItems({QStringLiteral("Cursor"), QStringLiteral("Background"),
                         QStringLiteral("Green"), QStringLiteral("White"), QStringLiteral("Red"),
                         QStringLiteral("Turquoise"), QStringLiteral("Yellow"),
                         QStringLiteral("Pink"), QStringLiteral("Blue")});
    elements_->setGeometry(Dlu(12, 26, 110, 14));
    const char* const names[3] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        label(names[i], 12 + 40 * i, 47);
        components_[i] = new ComponentEdit(this);
        components_[i]->setObjectName(Name(kRed + i));
        components_[i]->setGeometry(Dlu(12 + 40 * i, 57, 38, 13));
    }
    auto push = [this](int id, const char* text, QRect r) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(Name(id));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    push(kCustomize, "Customize", Dlu(12, 77, 50, 14));
    push(kReset, "Reset", Dlu(72, 77, 50, 14));
    push(kResetAll, "Reset All", Dlu(132, 77, 60, 14));
    swatchFrame_ = new QFrame(this);
    swatchFrame_->setObjectName(Name(kSwatch));
    swatchFrame_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    swatchFrame_->setGeometry(Dlu(132, 27, 60, 44));

    auto* picture = new QGroupBox(this);
    picture->setGeometry(Dlu(5, 105, 195, 55));
    bitmap_ = new QCheckBox(QStringLiteral("Background Bitmap"), this);
    bitmap_->setObjectName(Name(kBitmap));
    bitmap_->move(Dlu(10, 101, 0, 0).topLeft());
    bitmap_->setAutoFillBackground(true);
    bitmap_->adjustSize();
    file_ = new QLineEdit(this);
    file_->setObjectName(Name(kFileName));
    file_->setGeometry(Dlu(12, 120, 160, 12));
    browse_ = MakeBrowseButton(this);
    browse_->setObjectName(Name(kBrowse));
    browse_->setGeometry(Dlu(175, 120, 18, 12));
    browse_->setAutoDefault(false);
    modeGroup_ = new QButtonGroup(this);
    // "Mosa\u00efc" in UTF-8; the split keeps the "c" out of the hex escape.
    const char* const modeNames[3] = {("Mosa\xC3\xAF" "c"), "Centered", "Stretched"};
    for (int i = 0; i < 3; ++i) {
        modes_[i] = new QRadioButton(QString::fromUtf8(modeNames[i]), this);
        modes_[i]->setObjectName(Name(kTiled + i));
        modes_[i]->move(Dlu(12 + 55 * i, 140, 0, 0).topLeft());
        modes_[i]->adjustSize();
        modeGroup_->addButton(modes_[i], i);
    }
    // "Stretched" stays in the group, invisible: a stored mode 2 keeps it
    // checked and painting honours it, but the operator cannot choose it.
    modes_[2]->hide();

    pictureNote_ = new QLabel(this);
    pictureNote_->setObjectName(QStringLiteral("pictureNote"));
    pictureNote_->setGeometry(Dlu(12, 163, 186, 10));

    push(kHighContrast, "&High Contrast", Dlu(12, 180, 70, 14));
    QPushButton* ok = push(kOk, "OK", Dlu(90, 180, 50, 14));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    push(kCancel, "Cancel", Dlu(150, 180, 50, 14));

    chooseColour = [this](std::uint32_t start) -> std::optional<std::uint32_t> {
        const QColor chosen = QColorDialog::getColor(
            QColor(RedOf(start), GreenOf(start), BlueOf(start)), this, QStringLiteral("Color"));
        if (!chosen.isValid()) return std::nullopt;
        return Rgb(chosen.red(), chosen.green(), chosen.blue());
    };
    // Pictures Qt cannot decode (the metafile types among them) are offered
    // all the same and simply show no picture.
    chooseImageFile = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, QString(), start, PictureFileFilter());
    };

    // Opening.
    const UserSettings& s = context_.settings();
    working_ = context_.terminal().colors;
    saved_ = working_;
    red_ = static_cast<int>(RedOf(working_[0]));
    green_ = static_cast<int>(GreenOf(working_[0]));
    blue_ = static_cast<int>(BlueOf(working_[0]));
    imageFile_ = savedImageFile_ = QString::fromStdString(s.ImageFile);
    imageActive_ = savedImageActive_ = s.BkgndActive;
    mode_ = savedMode_ = s.BkgndMode;
    WriteControls();
    elements_->setCurrentIndex(0);
    swatchRect_ = swatchFrame_->geometry().adjusted(3, 3, -4, -4);
    UpdatePictureNote();

    connect(elements_, &QComboBox::currentIndexChanged, this, [this] {
        if (!writing_) ElementChanged();
    });
    for (ComponentEdit* c : components_) {
        connect(c, &ComponentEdit::textEdited, this, [this] {
            if (!writing_) ComponentChanged();
        });
    }
    connect(button(kCustomize), &QPushButton::clicked, this, &CDlgAppearance::Customize);
    connect(button(kReset), &QPushButton::clicked, this, &CDlgAppearance::Reset);
    connect(button(kResetAll), &QPushButton::clicked, this, &CDlgAppearance::ResetAll);
    connect(button(kHighContrast), &QPushButton::clicked, this, &CDlgAppearance::HighContrast);
    connect(bitmap_, &QCheckBox::clicked, this, &CDlgAppearance::BackgroundClicked);
    connect(modeGroup_, &QButtonGroup::idClicked, this, &CDlgAppearance::BackgroundClicked);
    connect(file_, &QLineEdit::textChanged, this, [this] {
        if (!writing_) FileNameChanged();
    });
    connect(browse_, &QPushButton::clicked, this, &CDlgAppearance::Browse);
    connect(ok, &QPushButton::clicked, this, [this] {
        ReadControls();
        accept();
    });
    connect(button(kCancel), &QPushButton::clicked, this, &CDlgAppearance::reject);
}

QPushButton* CDlgAppearance::button(int id) const {
    if (id == kBrowse) return browse_;
    return findChild<QPushButton*>(Name(id));
}

int CDlgAppearance::Selected() const { return std::clamp(elements_->currentIndex(), 0, 8); }

std::uint32_t CDlgAppearance::swatchColour() const {
    return Rgb(static_cast<unsigned>(red_), static_cast<unsigned>(green_),
               static_cast<unsigned>(blue_));
}

void CDlgAppearance::ReadControls() {
    imageFile_ = file_->text();
    imageActive_ = bitmap_->isChecked() ? 1 : 0;
    mode_ = modeGroup_->checkedId();
    red_ = components_[0]->value();
    green_ = components_[1]->value();
    blue_ = components_[2]->value();
}

void CDlgAppearance::WriteControls() {
    writing_ = true;
    file_->setText(imageFile_);
    bitmap_->setChecked(imageActive_ != 0);
    if (mode_ >= 0 && mode_ <= 2) {
        modes_[mode_]->setChecked(true);
    } else {
        modeGroup_->setExclusive(false);
        for (QRadioButton* b : modes_) b->setChecked(false);
        modeGroup_->setExclusive(true);
    }
    components_[0]->setValue(red_);
    components_[1]->setValue(green_);
    components_[2]->setValue(blue_);
    writing_ = false;
}

void CDlgAppearance::ApplyLive() {
    update(swatchRect_);
    context_.terminal().colors = working_;
    context_.settings().colors = working_;
    context_.view().InvalidateView();
}

void CDlgAppearance::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    const std::uint32_t c = swatchColour();
    p.fillRect(swatchRect_, QColor(RedOf(c), GreenOf(c), BlueOf(c)));
}

void CDlgAppearance::ElementChanged() {
    ReadControls();
    const std::uint32_t c = working_[static_cast<std::size_t>(Selected())];
    red_ = static_cast<int>(RedOf(c));
    green_ = static_cast<int>(GreenOf(c));
    blue_ = static_cast<int>(BlueOf(c));
    WriteControls();
    ApplyLive();
}

void CDlgAppearance::ComponentChanged() {
    ReadControls();
    working_[static_cast<std::size_t>(Selected())] = swatchColour();
    ApplyLive();
}

void CDlgAppearance::Customize() {
    const auto chosen = chooseColour(working_[static_cast<std::size_t>(Selected())]);
    if (!chosen) return;
    ReadControls();
    red_ = static_cast<int>(RedOf(*chosen));
    green_ = static_cast<int>(GreenOf(*chosen));
    blue_ = static_cast<int>(BlueOf(*chosen));
    working_[static_cast<std::size_t>(Selected())] = swatchColour();
    WriteControls();
    ApplyLive();
}

void CDlgAppearance::Reset() {
    ReadControls();
    const auto i = static_cast<std::size_t>(Selected());
    working_[i] = kDefaultColors[i];
    ElementChanged();
}

void CDlgAppearance::ResetAll() {
    working_ = kDefaultColors;
    ElementChanged();
}

void CDlgAppearance::HighContrast() {
    working_ = kHighContrastColors;
    ElementChanged();
}

void CDlgAppearance::PushBackground(bool reload) {
    const UserSettings& s = context_.settings();
    CTelnetView& view = context_.view();
    const bool fileChanged = view.background().imageFile != s.ImageFile;
    view.SetBackground(BackgroundSettings{s.BkgndActive != 0, s.BkgndMode, s.ImageFile});
    // A new file is read by SetBackground itself.
    if (reload && !fileChanged) view.LoadBackgroundImage();
    view.InvalidateView();
    UpdatePictureNote();
}

void CDlgAppearance::UpdatePictureNote() {
    // Loading a picture that is not there fails silently in the view; the
    // dialog says why the background stays plain. A relative name is taken
    // from the current folder, as the view takes it.
    const QString name = file_->text();
    QString note;
    if (bitmap_->isChecked() && !name.isEmpty()) {
        const QFileInfo info(name);
        if (!info.exists()) {
            note = QStringLiteral("Picture file not found: %1").arg(info.fileName());
        } else if (!info.isFile()) {
            note = QStringLiteral("Not a picture file: %1").arg(info.fileName());
        } else if (context_.view().backgroundPicture().isNull()) {
            note = QStringLiteral("This picture cannot be shown: %1").arg(info.fileName());
        }
    }
    pictureNote_->setText(note);
}

void CDlgAppearance::BackgroundClicked() {
    ReadControls();
    UserSettings& s = context_.settings();
    s.ImageFile = imageFile_.toStdString();
    s.BkgndActive = imageActive_;
    s.BkgndMode = mode_;
    PushBackground(true);
}

void CDlgAppearance::FileNameChanged() {
    ReadControls();
    UserSettings& s = context_.settings();
    s.ImageFile = imageFile_.toStdString();
    s.BkgndActive = imageActive_;
    PushBackground(true);
}

void CDlgAppearance::Browse() {
    const QString chosen = chooseImageFile(imageFile_);
    if (chosen.isEmpty()) return;
    imageFile_ = chosen;
    context_.settings().ImageFile = chosen.toStdString();
    WriteControls();
    PushBackground(true);
}

void CDlgAppearance::reject() {
    UserSettings& s = context_.settings();
    context_.terminal().colors = saved_;
    s.colors = saved_;
    const bool differed =
        QString::fromStdString(s.ImageFile) != savedImageFile_ || s.BkgndMode != savedMode_;
    s.ImageFile = savedImageFile_.toStdString();
    s.BkgndActive = savedImageActive_;
    s.BkgndMode = savedMode_;
    PushBackground(differed);
    QDialog::reject();
}

}  // namespace quenlix::app
