#include "richtext/core/FontFrm.h"

#include "platform/richedit/model/FormatRecords.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbNumbers.h"
#include "platform/runtime/Windows1252.h"
#include "richtext/common/RichTextLibraryState.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr uint32_t CFM_BOLD = 0x1;
constexpr uint32_t CFM_ITALIC = 0x2;
constexpr uint32_t CFM_UNDERLINE = 0x4;
constexpr uint32_t CFM_STRIKEOUT = 0x8;
constexpr uint32_t CFM_FACE = 0x20000000;
constexpr uint32_t CFM_SIZE = 0x80000000;
constexpr uint16_t RecordSize = 84;

const QString Regular = QStringLiteral("Regular");
const QString Italic = QStringLiteral("Italic");
const QString Bold = QStringLiteral("Bold");
const QString BoldItalic = QStringLiteral("Bold Italic");

FontFrm::ShowHook& showHook()
{
    static FontFrm::ShowHook hook;
    return hook;
}

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

QString styleName(bool bold, bool italic)
{
    if (bold && italic)
        return BoldItalic;
    if (bold)
        return Bold;
    return italic ? Italic : Regular;
}

// The whole number a size text holds, halves to even; empty when it holds none that fits.
std::optional<int16_t> wholeSize(const QString& text)
{
    bool number = false;
    const double value = text.trimmed().toDouble(&number);
    if (!number || !std::isfinite(value) || std::abs(value) > 32767.5)
        return std::nullopt;
    return vb::CInt(value);
}

QListWidget* makeList(QWidget* parent, const QString& name, const QStringList& entries = {})
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->addItems(entries);
    return list;
}

QLineEdit* makeText(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

FontFrm::FontFrm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("FontFrm"));
    setWindowTitle(QStringLiteral("Font"));
    setModal(true);

    FontNameLB = makeList(this, QStringLiteral("FontNameLB"));
    FontNameTxt = makeText(this, QStringLiteral("FontNameTxt"));
    FontStyleLB =
        makeList(this, QStringLiteral("FontStyleLB"), {Bold, BoldItalic, Italic, Regular});
    FontStyleText = makeText(this, QStringLiteral("FontStyleText"));
    FontSizeLB = makeList(
        this, QStringLiteral("FontSizeLB"),
        {QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11"),
         QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
         QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
         QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("40"), QStringLiteral("48"),
         QStringLiteral("72")});
    SizeTxt = makeText(this, QStringLiteral("SizeTxt"));
    StrikeTCheck = new QCheckBox(QStringLiteral("Strikethrough"), this);
    StrikeTCheck->setObjectName(QStringLiteral("StrikeTCheck"));
    UnderlineCheck = new QCheckBox(QStringLiteral("Underline"), this);
    UnderlineCheck->setObjectName(QStringLiteral("UnderlineCheck"));
    ExampleLbl = new QLabel(QStringLiteral("AaBbYyZz"), this);
    ExampleLbl->setObjectName(QStringLiteral("ExampleLbl"));
    ExampleLbl->setAlignment(Qt::AlignCenter);
    ExampleLbl->setMinimumHeight(60);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Font:"), this), 0, 0);
    fields->addWidget(new QLabel(QStringLiteral("Font style:"), this), 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Size:"), this), 0, 2);
    fields->addWidget(FontNameTxt, 1, 0);
    fields->addWidget(FontStyleText, 1, 1);
    fields->addWidget(SizeTxt, 1, 2);
    fields->addWidget(FontNameLB, 2, 0);
    fields->addWidget(FontStyleLB, 2, 1);
    fields->addWidget(FontSizeLB, 2, 2);
    fields->setColumnStretch(0, 3);
    fields->setColumnStretch(1, 2);
    fields->setColumnStretch(2, 1);

    auto* effects = new QGroupBox(QStringLiteral("Effects"), this);
    auto* effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(StrikeTCheck);
    effectsLayout->addWidget(UnderlineCheck);
    auto* example = new QGroupBox(QStringLiteral("Example Text"), this);
    auto* exampleLayout = new QVBoxLayout(example);
    exampleLayout->addWidget(ExampleLbl);
    auto* lower = new QHBoxLayout;
    lower->addWidget(effects);
    lower->addWidget(example, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(lower);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    // Selecting an entry from code runs the same handler as a click. Only a selected entry
    // counts: focus on a list without a current entry makes its first one current without
    // selecting it, and that must not replace the face, style or size shown. A mouse click
    // moves the current entry before selecting it, a key selects before moving it, hence both
    // signals.
    const auto chosen = [this](QListWidget* list, void (FontFrm::*handler)()) {
        const auto act = [this, list, handler] {
            const QListWidgetItem* item = list->currentItem();
            if (item && item->isSelected())
                (this->*handler)();
        };
        connect(list, &QListWidget::currentRowChanged, this, act);
        connect(list, &QListWidget::itemSelectionChanged, this, act);
    };
    chosen(FontNameLB, &FontFrm::FontNameLB_Click);
    chosen(FontStyleLB, &FontFrm::FontStyleLB_Click);
    chosen(FontSizeLB, &FontFrm::FontSizeLB_Click);
    connect(StrikeTCheck, &QCheckBox::toggled, this, [this] { StrikeTCheck_Click(); });
    connect(UnderlineCheck, &QCheckBox::toggled, this, [this] { UnderlineCheck_Click(); });
    connect(OKButton, &QPushButton::clicked, this, &FontFrm::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &FontFrm::CancelButton_Click);
}

void FontFrm::setShowHook(ShowHook hook)
{
    showHook() = std::move(hook);
}

void FontFrm::showModal()
{
    Form_Load();
    if (showHook()) {
        const ShowHook hook = showHook();
        hook(*this);
        return;
    }
    exec();
}

// --- Loading ---

void FontFrm::Form_Load()
{
    FontNameLB->addItems(QFontDatabase::families());
    if (library().DefaultFontMode) {
        loadDefaultFont();
        return;
    }
    if (richedit::RichTextBox* window = library().SharedRichText)
        loadSelection(*window);
}

void FontFrm::loadDefaultFont()
{
    setWindowTitle(QStringLiteral("Default Font"));
    const DEFUALT_FONT_DATA& data = library().DefaultFontData;
    FontNameTxt->setText(data.tFONTNAME);
    selectEntry(FontNameLB, data.tFONTNAME);
    FontStyleText->setText(data.tFONTSTYLE);
    selectEntry(FontStyleLB, data.tFONTSTYLE);
    const QString size = QString::number(data.tFONTSIZE);
    SizeTxt->setText(size);
    selectEntry(FontSizeLB, size);
    SizeTxt->setText(size);
    StrikeTCheck->setChecked(data.tFONTSTRIKETHROUGH);
    UnderlineCheck->setChecked(data.tFONTUNDERLINE);
}

void FontFrm::loadSelection(richedit::RichTextBox& window)
{
    const richedit::Engine& engine = window.engine();
    if (const auto name = engine.selFontName()) {
        FontNameTxt->setText(*name);
        selectEntry(FontNameLB, *name);
    } else {
        FontNameTxt->clear();
    }

    const auto bold = engine.selBold();
    const auto italic = engine.selItalic();
    if (bold && italic) {
        const QString style = styleName(*bold, *italic);
        FontStyleText->setText(style);
        selectEntry(FontStyleLB, style);
    }

    SizeTxt->clear();
    if (const auto size = engine.selFontSize()) {
        for (int row = 0; row < FontSizeLB->count(); ++row) {
            if (FontSizeLB->item(row)->text().toDouble() == *size) {
                FontSizeLB->setCurrentRow(row);
                SizeTxt->setText(FontSizeLB->item(row)->text());
                break;
            }
        }
    }

    // A mixed value leaves its box unchecked.
    StrikeTCheck->setChecked(engine.selStrikeThru().value_or(false));
    UnderlineCheck->setChecked(engine.selUnderline().value_or(false));
}

bool FontFrm::selectEntry(QListWidget* list, const QString& text)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == text) {
            list->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

// --- The sample follows the lists and boxes ---

void FontFrm::FontNameLB_Click()
{
    const QListWidgetItem* item = FontNameLB->currentItem();
    if (!item)
        return;
    FontNameTxt->setText(item->text());
    QFont sample = ExampleLbl->font();
    sample.setFamily(item->text());
    sample.setBold(false);
    sample.setItalic(false);
    ExampleLbl->setFont(sample);
    // A face that has only a bold or only an italic design reads so even with both off.
    const QFontInfo reads(sample);
    if (reads.bold())
        fillStyles({Bold, BoldItalic});
    else if (reads.italic())
        fillStyles({Italic, BoldItalic});
    else
        fillStyles({Regular, Italic, Bold, BoldItalic});
}

void FontFrm::fillStyles(const QStringList& styles)
{
    const QSignalBlocker quiet(FontStyleLB);
    FontStyleLB->clear();
    FontStyleLB->addItems(styles);
}

void FontFrm::FontStyleLB_Click()
{
    const QListWidgetItem* item = FontStyleLB->currentItem();
    if (!item)
        return;
    const QString style = item->text();
    FontStyleText->setText(style);
    QFont sample = ExampleLbl->font();
    sample.setBold(style == Bold || style == BoldItalic);
    sample.setItalic(style == Italic || style == BoldItalic);
    ExampleLbl->setFont(sample);
}

void FontFrm::FontSizeLB_Click()
{
    const QListWidgetItem* item = FontSizeLB->currentItem();
    if (!item)
        return;
    const double size = vb::Val(item->text());
    SizeTxt->setText(QString::number(size));
    QFont sample = ExampleLbl->font();
    if (size > 0)
        sample.setPointSizeF(size);
    ExampleLbl->setFont(sample);
}

void FontFrm::StrikeTCheck_Click()
{
    QFont sample = ExampleLbl->font();
    sample.setStrikeOut(StrikeTCheck->isChecked());
    ExampleLbl->setFont(sample);
}

void FontFrm::UnderlineCheck_Click()
{
    QFont sample = ExampleLbl->font();
    sample.setUnderline(UnderlineCheck->isChecked());
    ExampleLbl->setFont(sample);
}

// --- Commands ---

void FontFrm::CancelButton_Click()
{
    reject();
}

void FontFrm::OKButton_Click()
{
    if (library().DefaultFontMode) {
        DEFUALT_FONT_DATA& data = library().DefaultFontData;
        data.tFONTNAME = FontNameTxt->text();
        data.tFONTSTYLE = FontStyleText->text();
        // Empty, or no whole number that fits the field: 0.
        data.tFONTSIZE = wholeSize(SizeTxt->text()).value_or(0);
        data.tFONTSTRIKETHROUGH = StrikeTCheck->isChecked();
        data.tFONTUNDERLINE = UnderlineCheck->isChecked();
        accept();
        return;
    }
    richedit::RichTextBox* window = library().SharedRichText;
    if (window && differsFromSelection(*window))
        applyToSelection(*window);
    accept();
}

bool FontFrm::differsFromSelection(richedit::RichTextBox& window) const
{
    const richedit::Engine& engine = window.engine();
    const QFont sample = ExampleLbl->font();
    const auto bold = engine.selBold();
    const auto italic = engine.selItalic();
    const bool styleMixed = !bold || !italic;
    if (!(FontStyleText->text().isEmpty() && styleMixed)) {
        const bool same = FontStyleText->text().isEmpty() ||
                          (!styleMixed && sample.bold() == *bold && sample.italic() == *italic);
        if (!same)
            return true;
    }
    if (!(engine.selFontSize() == std::nullopt && SizeTxt->text().isEmpty()))
        return true;
    const auto name = engine.selFontName();
    if (!(FontNameTxt->text().isEmpty() && !name)) {
        if (!(FontNameTxt->text().isEmpty() || (name && sample.family() == *name)))
            return true;
    }
    const auto effectDiffers = [](const QCheckBox* box, bool sampleValue,
                                  std::optional<bool> selection) {
        if (!box->isChecked() && !selection)
            return false;
        return !selection || sampleValue != *selection;
    };
    return effectDiffers(StrikeTCheck, sample.strikeOut(), engine.selStrikeThru()) ||
           effectDiffers(UnderlineCheck, sample.underline(), engine.selUnderline());
}

void FontFrm::applyToSelection(richedit::RichTextBox& window)
{
    const richedit::Engine& engine = window.engine();
    richedit::RtfFormatQ format;
    format.cbSize = RecordSize;

    const QString style = FontStyleText->text();
    if (!style.isEmpty()) {
        if (style == Regular || style == Italic || style == Bold || style == BoldItalic) {
            format.dwMask |= CFM_BOLD | CFM_ITALIC;
            if (style == Bold || style == BoldItalic)
                format.dwEffects |= CFM_BOLD;
            if (style == Italic || style == BoldItalic)
                format.dwEffects |= CFM_ITALIC;
        }
    }

    if (!SizeTxt->text().isEmpty()) {
        double points = vb::Val(SizeTxt->text());
        if (points == 0) {
            // No usable size typed: the selection's own, and none to send when it is mixed.
            const auto current = engine.selFontSize();
            points = current.value_or(0);
            SizeTxt->setText(current ? QString::number(*current) : QString());
        }
        const double twips = points * 20;
        if (points != 0 && std::isfinite(twips) && std::abs(twips) < 2147483647.0) {
            format.dwMask |= CFM_SIZE;
            format.yHeight = vb::CLng(twips);
        }
    }

    const QString face = FontNameTxt->text();
    if (!face.isEmpty()) {
        format.dwMask |= CFM_FACE;
        const QByteArray bytes = vb::toWindows1252(face.left(MaxFaceNameLength));
        std::memcpy(format.szFaceName, bytes.constData(),
                    std::min<size_t>(size_t(bytes.size()), MaxFaceNameLength));
    }

    const auto effect = [&format](const QCheckBox* box, uint32_t bit, std::optional<bool> now) {
        if (box->isChecked()) {
            format.dwMask |= bit;
            format.dwEffects |= bit;
        } else if (now) {
            format.dwMask |= bit;
        }
    };
    effect(StrikeTCheck, CFM_STRIKEOUT, engine.selStrikeThru());
    effect(UnderlineCheck, CFM_UNDERLINE, engine.selUnderline());

    richedit::sendMessage(window.hWnd(), richedit::EM_SETCHARFORMAT,
                          richedit::SCF_SELECTION | richedit::SCF_USEUIRULES,
                          reinterpret_cast<intptr_t>(&format));
    // The release of the key that closed the dialog is not typing.
    window.setTag(QStringLiteral("1"));
}
