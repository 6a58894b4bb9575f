// The font dialog.
#include "app/CDialogFont.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CTelnetView.h"
#include "app/DialogContext.h"

namespace quenlix::app {

QStringList FixedPitchFaces() {
    QStringList faces;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family)) continue;
        if (!QFontDatabase::isFixedPitch(family)) continue;
        if (!QFontDatabase::isSmoothlyScalable(family)) continue;
        faces << family;
    }
    faces.sort(Qt::CaseInsensitive);
    faces.removeDuplicates();
    return faces;
}

CDialogFont::CDialogFont(DialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(QStringLiteral("Font"));
    const UserSettings& s = context.settings();
    start_ = FontPreferences{s.Face, s.Bold, s.Italic != 0};
    startStyle_ = s.Bold >= 600 ? 1 : 0;

    faces_ = new QListWidget(this);
    faces_->setObjectName(QStringLiteral("faces"));
    faces_->addItems(FixedPitchFaces());
    const QList<QListWidgetItem*> current =
        faces_->findItems(QString::fromStdString(s.Face), Qt::MatchFixedString);
    if (!current.isEmpty()) faces_->setCurrentItem(current.first());
    styles_ = new QListWidget(this);
    styles_->setObjectName(QStringLiteral("styles"));
    styles_->addItems({QStringLiteral("Regular"), QStringLiteral("Bold")});
    styles_->setCurrentRow(startStyle_);
    italic_ = new QCheckBox(QStringLiteral("&Italic"), this);
    italic_->setChecked(start_.italic);

    auto* sampleBox = new QGroupBox(QStringLiteral("Sample"), this);
    sample_ = new QLabel(QStringLiteral("AaBbYyZz 0123"), sampleBox);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(48);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample_);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    apply_ = buttons->button(QDialogButtonBox::Apply);

    auto* grid = new QGridLayout(this);
    // Each label names its list: Alt with the underlined letter goes there,
    // and the "&" is shown as the underline, not as itself.
    faceLabel_ = new QLabel(QStringLiteral("&Font:"), this);
    faceLabel_->setBuddy(faces_);
    styleLabel_ = new QLabel(QStringLiteral("Font st&yle:"), this);
    styleLabel_->setBuddy(styles_);
    grid->addWidget(faceLabel_, 0, 0);
    grid->addWidget(styleLabel_, 0, 1);
    grid->addWidget(faces_, 1, 0, 2, 1);
    grid->addWidget(styles_, 1, 1);
    grid->addWidget(italic_, 2, 1, Qt::AlignTop);
    grid->addWidget(sampleBox, 3, 0, 1, 2);
    grid->addWidget(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 1);
    resize(420, 360);

    connect(faces_, &QListWidget::currentRowChanged, this, &CDialogFont::UpdateSample);
    connect(styles_, &QListWidget::currentRowChanged, this, &CDialogFont::UpdateSample);
    connect(italic_, &QCheckBox::toggled, this, &CDialogFont::UpdateSample);
    connect(apply_, &QPushButton::clicked, this, [this] { Assign(context_, chosen()); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Assign(context_, chosen());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateSample();
}

FontPreferences CDialogFont::chosen() const {
    FontPreferences f = start_;
    if (const QListWidgetItem* item = faces_->currentItem()) f.face = item->text().toStdString();
    const int style = styles_->currentRow();
    if (style != startStyle_) f.weight = style == 1 ? kBoldWeight : kRegularWeight;
    f.italic = italic_->isChecked();
    return f;
}

void CDialogFont::UpdateSample() {
    const FontPreferences f = chosen();
    QFont font(QString::fromStdString(f.face));
    font.setPixelSize(22);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight, 1, 1000)));
    font.setItalic(f.italic);
    sample_->setFont(font);
}

void CDialogFont::Assign(DialogContext& context, const FontPreferences& font) {
    UserSettings& s = context.settings();
    s.Face = font.face;
    s.Bold = font.weight;
    s.Italic = font.italic ? 1 : 0;
    // SetFontPreferences refits the screen to the window and repaints.
    context.view().SetFontPreferences(font);
    context.view().InvalidateView();
}

}  // namespace quenlix::app
