#include "plugin/settings/PropFrm.h"

#include "ui_PropFrm.h"

#include "common/Exception.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/SmenaRepComposition.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <set>

namespace velta::settings {

namespace {

// Composition rows stand 25 pixels apart, row 0 (the format buttons) at 20.
constexpr int kRowStep = 25;
constexpr int kRowTop = 20;
constexpr int kBoxHeight = 17;
constexpr int kEditHeight = 21;
// Payment type boxes: 10 pixels between boxes.
constexpr int kBoxGap = 10;
constexpr int kMargin = 4;
// The composition's check box column as designed.
constexpr int kCompositionBoxWidth = 250;

const QString kCaution = QStringLiteral("Внимание!");

// The payment type groups (code mod 100) a kind lists; empty: all.
std::vector<int> listedGroups(int kind)
{
    switch (kind) {
    case kCardsKind:
        return {1, 6, 7, 10, 12};
    case kStatementsKind:
        return {4};
    case kContractsKind:
        return {8};
    case kTalonsKind:
        return {9};
    default:
        return {};
    }
}

// The code whose "PayType" value a new key of the kind gets as 1.
int newKeyCode(int kind)
{
    switch (kind) {
    case kCardsKind:
        return 1;
    case kStatementsKind:
        return 4;
    case kContractsKind:
        return 8;
    case kTalonsKind:
        return 9;
    default:
        return 0;
    }
}

// An integer value of the open key; missing or of another type gives the default.
int integerValue(const TRegistry& registry, const QString& name, int defaultValue)
{
    switch (registry.dataType(name)) {
    case RegDataType::Integer:
        return registry.readInteger(name);
    case RegDataType::Boolean:
        return registry.readBool(name) ? 1 : 0;
    default:
        return defaultValue;
    }
}

bool boolValue(const TRegistry& registry, const QString& name, bool defaultValue)
{
    return integerValue(registry, name, defaultValue ? 1 : 0) != 0;
}

QString payTypeValueName(int code)
{
    return QStringLiteral("PayType") + QString::number(code);
}

// Local workplaces (kinds 0 and 3) keep the station's files under C:\, the
// others reach them on drive S:.
bool localWorkplace()
{
    const unsigned kind = core::HostValues::privWorkplaceKind();
    return kind == 0 || kind == 3;
}

QString onServerDrive(const QString& path)
{
    return localWorkplace() ? path : ReplaceText(path, QStringLiteral("C:\\"), QStringLiteral("S:\\"), rfIgnoreCase);
}

QString formsFolder(bool webForm)
{
    return webForm ? core::SmenaRepWebFormsFolder() : core::SmenaRepFormsFolder();
}

// The width a check box needs for its text in the given font.
int checkBoxWidth(const QString& text, const QFont& font)
{
    QCheckBox probe(text);
    probe.setFont(font);
    return probe.sizeHint().width();
}

} // namespace

QString PropKeyName(int kind)
{
    switch (kind) {
    case kReturnsKind:
        return QStringLiteral("BackRep");
    case kBonusKind:
        return QStringLiteral("BonusRep");
    case kCardsKind:
        return QStringLiteral("CardRep");
    case kStatementsKind:
        return QStringLiteral("VedomRep");
    case kContractsKind:
        return QStringLiteral("DogovorRep");
    case kTalonsKind:
        return QStringLiteral("TalonRep");
    default:
        return {};
    }
}

void ShowReportProperties(Dialogs& dialogs, int kind, QWidget* parent)
{
    TPropFrm form(dialogs, parent);
    form.Build(kind);
    dialogs.showModal(form);
}

TPropFrm::TPropFrm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TPropFrm>())
{
    ui_->setupUi(this);
    groupBoxBase_ = ui_->GroupBox->height();
    {
        TSafeIniFile cnf(CnfIniFileName());
        allowOldReports_ = cnf.ReadBool(QStringLiteral("Reports"), QStringLiteral("AllowOldReports"), false);
    }
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TPropFrm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->acAdd, &QAction::triggered, this, &TPropFrm::acAddExecute);
    connect(ui_->acDel, &QAction::triggered, this, &TPropFrm::acDelExecute);
    connect(ui_->rbtNew, &QRadioButton::clicked, this, &TPropFrm::FormatClick);
    connect(ui_->rbtOld, &QRadioButton::clicked, this, &TPropFrm::FormatClick);
    // Only the position is kept: the size follows the content.
    const QSize designed = size();
    FormPlacement(*this).restore(*this);
    resize(designed);
    arrange();
}

TPropFrm::~TPropFrm() = default;

void TPropFrm::Build(int kind)
{
    kind_ = kind;
    switch (kind) {
    case kReturnsKind:
    case kBonusKind:
    case kCardsKind:
    case kStatementsKind:
    case kContractsKind:
    case kTalonsKind:
        buildPayTypes(kind);
        break;
    case kShiftReportKind:
        try {
            buildComposition();
        } catch (const Exception& e) {
            // The rows shown are not the stored composition: saving them would lose the rest.
            buildError_ = QStringLiteral("Ошибка при открытии окна настроек сменного отчета: ") + e.message();
            ui_->BitBtn1->setEnabled(false);
            dialogs_.messageBox(buildError_, kCaution, MB_OK | MB_ICONWARNING);
        }
        break;
    default:
        break;
    }
    built_ = true;
    arrange();
}

void TPropFrm::buildPayTypes(int kind)
{
    const bool withOptions = kind == kReturnsKind || kind == kBonusKind;
    ui_->GroupBox->setTitle(QStringLiteral("Виды оплаты"));
    if (withOptions) {
        ui_->Label1->setText(kind == kReturnsKind ? QStringLiteral("по которым не было возвратных чеков")
                                                  : QStringLiteral("по которым не было оплаты"));
        ui_->OneTableCheckBox->setVisible(kind == kReturnsKind);
        ui_->GroupTRKCheckBox->setVisible(kind == kReturnsKind);
        ui_->chbShowGSMItog->setVisible(kind == kBonusKind);
        ui_->chbShowSubVidoplItog->setVisible(kind == kBonusKind);
        ui_->chbShowGSMItog->setChecked(kind == kBonusKind);
        ui_->chbShowSubVidoplItog->setChecked(kind == kBonusKind);
    } else {
        for (QWidget* hidden : {static_cast<QWidget*>(ui_->NullCheckBox), static_cast<QWidget*>(ui_->Bevel1),
                                static_cast<QWidget*>(ui_->Label1)})
            hidden->hide();
    }
    for (QWidget* hidden : {static_cast<QWidget*>(ui_->lbHelp), static_cast<QWidget*>(ui_->rbtNew),
                            static_cast<QWidget*>(ui_->rbtOld)})
        hidden->hide();
    resize(330, height());
    ui_->Bevel1->resize(301, ui_->Bevel1->height());
    ui_->BitBtn1->move(65, ui_->BitBtn1->y());
    ui_->BitBtn2->move(193, ui_->BitBtn2->y());
    arrange();

    TRegistry registry(RootKey::LocalMachine);
    const QString key = core::ReportOptionsKey(PropKeyName(kind));
    const bool existed = registry.keyExists(key);
    const bool opened = registry.openKey(key, true);
    if (opened && !existed)
        registry.writeInteger(payTypeValueName(newKeyCode(kind)), 1);

    const std::vector<int> groups = listedGroups(kind);
    const core::PluginState& plugin = core::state();
    int top = kRowTop;
    const auto addBox = [&](const QString& name, const QString& caption, bool checked) {
        auto* box = new QCheckBox(caption, ui_->GroupBox);
        box->setObjectName(name);
        box->setGeometry(20, top, 200, kBoxHeight);
        box->setChecked(checked);
        box->show();
        top += kBoxHeight + kBoxGap;
        grow(kBoxHeight + kBoxGap);
        return box;
    };
    for (int i = 0; i < plugin.payTypeCount; ++i) {
        const velta::Variant row = plugin.payTypeTable.at(i);
        const int group = row.at(2).toString().toInt();
        if (!groups.empty() && std::find(groups.begin(), groups.end(), group) == groups.end())
            continue;
        const int code = row.at(1).toString().toInt();
        const bool checked = opened && integerValue(registry, payTypeValueName(code), 0) == 1;
        payTypeBoxes_.emplace_back(addBox(QStringLiteral("CB") + QString::number(i), row.at(0).toString(), checked),
                                   code);
    }
    const auto bold = [](QCheckBox* box) {
        QFont font = box->font();
        font.setBold(true);
        box->setFont(font);
        return box;
    };
    if (kind == kBonusKind)
        allTypesBox_ = bold(addBox(QStringLiteral("CBAllVO"), QStringLiteral("ВСЕ ВИДЫ ОПЛАТЫ"),
                                   opened && integerValue(registry, QStringLiteral("CBAllVO"), 0) == 1));
    if (kind == kCardsKind)
        extraDiscountsBox_ =
            bold(addBox(QStringLiteral("CBLOGTRANDSC"), QStringLiteral("ДОПОЛНИТЕЛЬНЫЕ СКИДКИ"),
                        opened && integerValue(registry, QStringLiteral("PayTypeLOGTRANDSC"), 0) == 1));
    if (opened && kind == kReturnsKind) {
        const int options = integerValue(registry, QStringLiteral("RepProp"), 0) & 7;
        ui_->OneTableCheckBox->setChecked((options & 2) != 0);
        ui_->GroupTRKCheckBox->setChecked((options & 4) != 0);
    }
    if (opened && kind == kBonusKind) {
        ui_->chbShowGSMItog->setChecked(boolValue(registry, QStringLiteral("ShowGSMItog"), true));
        ui_->chbShowSubVidoplItog->setChecked(boolValue(registry, QStringLiteral("ShowSubVidoplItog"), true));
    }
    if (withOptions)
        ui_->NullCheckBox->setChecked(opened && integerValue(registry, QStringLiteral("NullStr"), 0) == 1);
    registry.closeKey();
    fitPayTypeTexts();
}

// The design's widths fit its font; with wider fonts the boxes and labels
// take what their texts need and the window widens, its buttons kept centred.
void TPropFrm::fitPayTypeTexts()
{
    int needed = width();
    for (QCheckBox* box : ui_->GroupBox->findChildren<QCheckBox*>()) {
        box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
        needed = std::max(needed, 2 * kMargin + box->x() + box->width() + kBoxGap);
    }
    for (QWidget* option : {static_cast<QWidget*>(ui_->NullCheckBox), static_cast<QWidget*>(ui_->Label1),
                            static_cast<QWidget*>(ui_->OneTableCheckBox), static_cast<QWidget*>(ui_->GroupTRKCheckBox),
                            static_cast<QWidget*>(ui_->chbShowGSMItog), static_cast<QWidget*>(ui_->chbShowSubVidoplItog)}) {
        if (option->isHidden())
            continue;
        option->resize(std::max(option->width(), option->sizeHint().width()), option->height());
        needed = std::max(needed, option->x() + option->width() + kMargin);
    }
    const int extra = needed - width();
    if (extra <= 0)
        return;
    resize(needed, height());
    ui_->Bevel1->resize(ui_->Bevel1->width() + extra, ui_->Bevel1->height());
    for (QPushButton* button : {ui_->BitBtn1, ui_->BitBtn2})
        button->move(button->x() + extra / 2, button->y());
    arrange();
}

void TPropFrm::buildComposition()
{
    ui_->GroupBox->setTitle(QStringLiteral("Сменные отчеты"));
    for (QWidget* hidden : {static_cast<QWidget*>(ui_->NullCheckBox), static_cast<QWidget*>(ui_->GroupTRKCheckBox),
                            static_cast<QWidget*>(ui_->chbShowGSMItog),
                            static_cast<QWidget*>(ui_->chbShowSubVidoplItog), static_cast<QWidget*>(ui_->Label1)})
        hidden->hide();
    // The check box column takes the longest section name, the edits and the
    // window move right by what it needs beyond the design's 250 pixels.
    int widest = 0;
    for (int section = 0; section < core::kSmenaRepSectionCount; ++section)
        if (const QString name = core::SmenaRepSectionName(section); !name.isEmpty())
            widest = std::max(widest, checkBoxWidth(name, ui_->GroupBox->font()));
    columnShift_ = std::max(0, widest + kBoxGap - kCompositionBoxWidth);
    resize(516 + columnShift_, height());
    ui_->Bevel1->resize(487 + columnShift_, ui_->Bevel1->height());
    ui_->BitBtn1->move(249 + columnShift_, ui_->BitBtn1->y());
    ui_->BitBtn2->move(377 + columnShift_, ui_->BitBtn2->y());
    ui_->rbtNew->move(270 + columnShift_, ui_->rbtNew->y());
    mayEdit_ = core::HostValues::privFlag(5);
    ui_->lbHelp->setVisible(mayEdit_);
    arrange();

    if (allowOldReports_) {
        TSafeIniFile cnf(CnfIniFileName());
        const bool web = cnf.ReadBool(core::SmenaRepSection(), QStringLiteral("WebRep"), false);
        (web ? ui_->rbtNew : ui_->rbtOld)->setChecked(true);
    } else {
        ui_->rbtNew->setChecked(true);
    }
    ui_->rbtNew->setVisible(allowOldReports_);
    ui_->rbtOld->setVisible(allowOldReports_);
    newFormatShown_ = ui_->rbtNew->isChecked();

    // Each variant takes the first free place at or after its stored one
    // (switched-off variants by its absolute value); then the places are
    // closed up to 1 .. count in the same order.
    const std::vector<core::CompositionVariant> stored = core::ReadEditableComposition();
    std::vector<qint64> places;
    std::set<qint64> taken;
    for (const core::CompositionVariant& variant : stored) {
        qint64 place = std::max<qint64>(1, std::llabs(static_cast<qint64>(variant.position)));
        while (taken.count(place) != 0)
            ++place;
        taken.insert(place);
        places.push_back(place);
    }
    std::vector<std::size_t> order(places.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return places[a] < places[b]; });
    std::vector<int> positions(places.size());
    for (std::size_t rank = 0; rank < order.size(); ++rank)
        positions[order[rank]] = static_cast<int>(rank) + 1;

    for (std::size_t i = 0; i < stored.size(); ++i) {
        const core::CompositionVariant& variant = stored[i];
        const bool on = variant.position >= 1;
        addVariant(variant.section, positions[i], on, variant.path.value_or(QString()),
                   variant.webPath.value_or(QString()), variants_.size());
        // A reloads section stored switched off may stay so.
        if (variant.section == core::kSmenaRepReloads && !on)
            reloadsGuard_ = false;
    }
}

void TPropFrm::addVariant(int section, int position, bool on, const QString& path, const QString& webPath,
                          std::size_t at)
{
    auto row = std::make_unique<Row>();
    row->section = section;
    row->position = position;
    row->path = path;
    row->webPath = webPath;

    row->box = new QCheckBox(core::SmenaRepSectionName(section), ui_->GroupBox);
    row->box->setChecked(on);
    row->box->setToolTip(
        QStringLiteral("Для изменения порядка следования отчетов перетащите флажок, удерживая правую кнопку мыши"));
    row->box->installEventFilter(this);
    row->edit = new QLineEdit(newFormatShown_ ? webPath : path, ui_->GroupBox);
    row->edit->setToolTip(QStringLiteral("Печатная форма"));
    row->edit->setEnabled(mayEdit_);
    row->button = new QPushButton(QStringLiteral("..."), ui_->GroupBox);
    row->button->setToolTip(QStringLiteral("Выбор печатной формы"));
    row->button->setEnabled(mayEdit_);
    row->button->setAutoDefault(false);

    Row* raw = row.get();
    connect(row->box, &QCheckBox::clicked, this, [this, raw] { CompositionBoxClick(*raw); });
    connect(row->button, &QPushButton::clicked, this, [this, raw] {
        try {
            FormButtonClick(*raw);
        } catch (const Exception& e) {
            dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
        }
    });
    placeVariant(*raw);
    for (QWidget* control : {static_cast<QWidget*>(raw->box), static_cast<QWidget*>(raw->edit),
                             static_cast<QWidget*>(raw->button)})
        control->show();
    variants_.insert(variants_.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    grow(kRowStep);
}

void TPropFrm::placeVariant(Row& variant) const
{
    const int top = variant.position * kRowStep + kRowTop;
    variant.box->setGeometry(20, top, kCompositionBoxWidth + columnShift_, kBoxHeight);
    variant.edit->setGeometry(270 + columnShift_, top, 200, kEditHeight);
    variant.button->setGeometry(475 + columnShift_, top, 20, kEditHeight);
}

TPropFrm::Row* TPropFrm::VariantAt(int position) const
{
    for (const auto& variant : variants_)
        if (variant->position == position)
            return variant.get();
    return nullptr;
}

TPropFrm::Row* TPropFrm::variantOf(const QObject* control) const
{
    for (const auto& variant : variants_)
        if (variant->box == control)
            return variant.get();
    return nullptr;
}

TPropFrm::Row* TPropFrm::focusedVariant() const
{
    return variantOf(focusWidget());
}

bool TPropFrm::newFormat() const
{
    return ui_->rbtNew->isChecked();
}

void TPropFrm::grow(int delta)
{
    resize(width(), height() + delta);
    arrange();
}

void TPropFrm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    arrange();
}

// The group box takes the window's height but what the controls below it
// need; those stand under it in order, the buttons at the bottom.
void TPropFrm::arrange()
{
    const auto shown = [](const QWidget* control) { return !control->isHidden(); };
    int below = 6;
    if (shown(ui_->NullCheckBox))
        below += kBoxHeight + 2;
    if (shown(ui_->Label1))
        below += 16;
    for (const QWidget* option : {static_cast<QWidget*>(ui_->OneTableCheckBox),
                                  static_cast<QWidget*>(ui_->GroupTRKCheckBox),
                                  static_cast<QWidget*>(ui_->chbShowGSMItog),
                                  static_cast<QWidget*>(ui_->chbShowSubVidoplItog)})
        if (shown(option))
            below += kBoxHeight + 2;
    below += 10 + ui_->BitBtn1->height() + 8;

    const int groupHeight = std::max(0, height() - 2 * kMargin - below);
    ui_->GroupBox->setGeometry(kMargin, kMargin, width() - 2 * kMargin, groupHeight);
    int y = kMargin + groupHeight + 6;
    if (shown(ui_->NullCheckBox)) {
        ui_->NullCheckBox->move(12, y);
        y += kBoxHeight + 2;
    }
    if (shown(ui_->Label1)) {
        ui_->Label1->move(30, y - 2);
        y += 16;
    }
    for (QWidget* option : {static_cast<QWidget*>(ui_->OneTableCheckBox), static_cast<QWidget*>(ui_->GroupTRKCheckBox),
                            static_cast<QWidget*>(ui_->chbShowGSMItog),
                            static_cast<QWidget*>(ui_->chbShowSubVidoplItog)})
        if (shown(option)) {
            option->move(12, y);
            y += kBoxHeight + 2;
        }
    ui_->Bevel1->move(14, y + 3);
    y += 10;
    ui_->BitBtn1->move(ui_->BitBtn1->x(), y);
    ui_->BitBtn2->move(ui_->BitBtn2->x(), y);
    ui_->lbHelp->move(12, y - 2);
}

bool TPropFrm::eventFilter(QObject* watched, QEvent* event)
{
    Row* variant = variantOf(watched);
    if (!variant)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto& mouse = static_cast<QMouseEvent&>(*event);
        const Qt::KeyboardModifiers all = Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;
        if (variant->section == core::kSmenaRepReloads && (mouse.modifiers() & all) == all)
            reloadsGuard_ = false;
        if (mouse.button() != Qt::RightButton || mouse.buttons() != Qt::RightButton ||
            mouse.modifiers() != Qt::NoModifier)
            return false;
        DragStart(*variant, qRound(mouse.position().y()));
        return true;
    }
    case QEvent::MouseMove: {
        auto& mouse = static_cast<QMouseEvent&>(*event);
        if (dragged_ != variant || mouse.buttons() != Qt::RightButton || mouse.modifiers() != Qt::NoModifier)
            return false;
        DragMove(*variant, qRound(mouse.position().y()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto& mouse = static_cast<QMouseEvent&>(*event);
        if (dragged_ != variant || mouse.button() != Qt::RightButton)
            return false;
        DragEnd();
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TPropFrm::DragStart(Row& variant, int y)
{
    // The box keeps the mouse until the button is released (Qt grabs it for
    // the pressed widget by itself).
    variant.box->setFocus();
    dragged_ = &variant;
    dragStartY_ = y;
}

void TPropFrm::DragMove(Row& variant, int y)
{
    if (dragged_ != &variant)
        return;
    // Whole steps of 25 pixels, toward zero; the pointer is in the box's own
    // coordinates, so once the box moved the next step counts from there.
    const int steps = (y - dragStartY_) / kRowStep;
    if (steps == 0)
        return;
    const int lowest = VariantCount() * kRowStep + kRowTop;
    const int target = std::clamp(variant.box->y() + steps * kRowStep, kRowTop, lowest);
    for (const auto& other : variants_) {
        if (other.get() != &variant && other->box->y() == target) {
            std::swap(other->position, variant.position);
            placeVariant(*other);
            placeVariant(variant);
            return;
        }
    }
}

void TPropFrm::DragEnd()
{
    dragged_ = nullptr;
}

void TPropFrm::CompositionBoxClick(Row& variant)
{
    if (variant.section != core::kSmenaRepReloads || !reloadsGuard_ || variant.box->isChecked())
        return;
    variant.box->setChecked(true);
    dialogs_.messageBox(QStringLiteral("Нельзя отключать отчет \"") + core::SmenaRepSectionName(variant.section) +
                            QStringLiteral("\"!\r\n\r\nЕсли Вы хотите изменить порядок следования отчета,\r\n"
                                           "то перетащите его с помощью правой кнопки мышки."),
                        kCaution, MB_OK | MB_ICONWARNING);
}

void TPropFrm::acAddExecute()
{
    if (kind_ != kShiftReportKind || !mayEdit_)
        return;
    Row* focused = focusedVariant();
    if (!focused)
        return;
    try {
        const int section = focused->section;
        // The copy goes after the section's last variant in list order.
        std::size_t at = 0;
        for (std::size_t i = 0; i < variants_.size(); ++i)
            if (variants_[i]->section <= section)
                at = i + 1;
        addVariant(section, VariantCount() + 1, true, core::SmenaRepDefaultPath(section),
                   core::SmenaRepDefaultWebPath(section), at);
    } catch (const Exception& e) {
        dialogs_.messageBox(QStringLiteral("Ошибка в acAddExecute:") + e.message(), QStringLiteral("Ошибка"),
                            MB_OK | MB_ICONSTOP);
    }
}

void TPropFrm::acDelExecute()
{
    if (kind_ != kShiftReportKind || !mayEdit_)
        return;
    Row* focused = focusedVariant();
    if (!focused)
        return;
    const int section = focused->section;
    const auto sameSection = std::count_if(variants_.begin(), variants_.end(),
                                           [section](const auto& variant) { return variant->section == section; });
    if (sameSection <= 1)
        return;
    const int position = focused->position;
    if (dragged_ == focused)
        dragged_ = nullptr;
    const auto it = std::find_if(variants_.begin(), variants_.end(),
                                 [focused](const auto& variant) { return variant.get() == focused; });
    std::unique_ptr<Row> removed = std::move(*it);
    variants_.erase(it);
    removed->box->removeEventFilter(this);
    delete removed->box;
    delete removed->edit;
    delete removed->button;
    for (const auto& variant : variants_)
        if (variant->position > position) {
            --variant->position;
            placeVariant(*variant);
        }
    grow(-kRowStep);
    if (Row* next = VariantAt(position) ? VariantAt(position) : VariantAt(position - 1))
        next->box->setFocus();
}

void TPropFrm::FormatClick()
{
    if (!built_)
        return;
    const bool toNew = newFormat();
    if (toNew == newFormatShown_)
        return;
    for (const auto& variant : variants_) {
        (newFormatShown_ ? variant->webPath : variant->path) = variant->edit->text();
        variant->edit->setText(toNew ? variant->webPath : variant->path);
    }
    newFormatShown_ = toNew;
}

void TPropFrm::FormButtonClick(Row& variant)
{
    if (variant.section == 11)
        return;
    const bool webForm = newFormat();
    const QString text = variant.edit->text();
    QString start = text;
    if (Paths::extractFilePath(text).isEmpty() && !text.isEmpty())
        start = formsFolder(webForm) + text;
    if (!start.isEmpty())
        start = onServerDrive(start);

    FileDialogOptions options;
    options.title = QStringLiteral("Выберите форму отчета");
    options.filter = webForm ? QStringLiteral("Форма отчета (*.html, *.htm)|*.html; *.htm|Все файлы (*.*)|*.*")
                             : QStringLiteral("Форма отчета (*.frm)|*.frm|Все файлы (*.*)|*.*");
    options.initialDir = Paths::extractFilePath(start);
    options.fileName = Paths::extractFileName(start);
    options.fileMustExist = true;
    const std::optional<QString> chosen = dialogs_.openFile(options);
    if (!chosen)
        return;
    const QString name =
        ReplaceText(Paths::fromNative(*chosen), QStringLiteral("S:\\"), QStringLiteral("C:\\"), rfIgnoreCase);
    if (name.startsWith(QStringLiteral("\\\\")))
        throw Exception(QStringLiteral(
            "Нельзя указывать для шаблона отчета сетевой каталог! Допустимо указывать только подключенный к данному "
            "компьютеру сетевой диск S, если вы вы находитесь на месте Клиента или Менеджера"));
    variant.edit->setText(Paths::extractFilePath(name) == formsFolder(webForm) ? Paths::extractFileName(name) : name);
    (webForm ? variant.webPath : variant.path) = variant.edit->text();
}

void TPropFrm::BitBtn1Click()
{
    if (!buildError_.isEmpty()) {
        dialogs_.messageBox(buildError_, kCaution, MB_OK | MB_ICONWARNING);
        return;
    }
    try {
        if (kind_ == kShiftReportKind) {
            if (!saveComposition())
                return;
        } else if (!PropKeyName(kind_).isEmpty()) {
            savePayTypes();
        }
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
        return;
    }
    accept();
}

void TPropFrm::savePayTypes()
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKey(core::ReportOptionsKey(PropKeyName(kind_)), true))
        return;
    for (const auto& [box, code] : payTypeBoxes_)
        registry.writeInteger(payTypeValueName(code), box->isChecked() ? 1 : 0);
    if (kind_ == kReturnsKind || kind_ == kBonusKind) {
        if (kind_ == kReturnsKind)
            registry.writeInteger(QStringLiteral("RepProp"), (ui_->OneTableCheckBox->isChecked() ? 2 : 0) +
                                                                 (ui_->GroupTRKCheckBox->isChecked() ? 4 : 0));
        registry.writeInteger(QStringLiteral("NullStr"), ui_->NullCheckBox->isChecked() ? 1 : 0);
        registry.writeBool(QStringLiteral("ShowGSMItog"), ui_->chbShowGSMItog->isChecked());
        registry.writeBool(QStringLiteral("ShowSubVidoplItog"), ui_->chbShowSubVidoplItog->isChecked());
        if (allTypesBox_)
            registry.writeInteger(QStringLiteral("CBAllVO"), allTypesBox_->isChecked() ? 1 : 0);
    }
    if (extraDiscountsBox_)
        registry.writeInteger(QStringLiteral("PayTypeLOGTRANDSC"), extraDiscountsBox_->isChecked() ? 1 : 0);
    registry.closeKey();
}

bool TPropFrm::saveComposition()
{
    if (!localWorkplace() && !QFileInfo(Paths::toNative(QStringLiteral("S:\\DEXE\\FORMS\\"))).isDir()) {
        dialogs_.messageBox(QStringLiteral("Не найден каталог \"S:\\DEXE\\FORMS\\\". Убедитесь, что диск \"C:\" "
                                           "\r\nкомпьютера \"СЕРВЕР\" подключен к вашему компьютеру как сетевой диск "
                                           "\"S:\""),
                            kCaution, MB_OK | MB_ICONWARNING);
        return false;
    }
    // The templates are checked first; the keys are then replaced in one
    // change of the file, and only then is the user told what was missing.
    QStringList missing;
    const auto checked = [&missing](const QString& form, bool webForm) -> std::optional<QString> {
        if (form.isEmpty())
            return std::nullopt;
        const QString full =
            onServerDrive(Paths::extractFilePath(form).isEmpty() ? formsFolder(webForm) + form : form);
        if (Paths::fileExists(full))
            return form;
        missing << full;
        return std::nullopt;
    };
    std::vector<core::CompositionVariant> composition;
    for (const auto& variant : variants_) {
        (newFormatShown_ ? variant->webPath : variant->path) = variant->edit->text();
        core::CompositionVariant saved;
        saved.section = variant->section;
        saved.position = variant->box->isChecked() ? variant->position : -variant->position;
        saved.webPath = checked(variant->webPath, true);
        saved.path = checked(variant->path, false);
        composition.push_back(std::move(saved));
    }
    core::SaveComposition(composition);

    for (qsizetype i = 0; i < missing.size() && i < 2; ++i) {
        const QString text = QStringLiteral("Форма \"") + missing[i] + QStringLiteral("\" не найдена!");
        if (i == 0)
            dialogs_.messageBox(text, kCaution, MB_OK | MB_ICONWARNING);
        else
            dialogs_.messageBox(text + QStringLiteral("\r\nДальнейшая проверка наличия форм отчетов на компьюете "
                                                      "\"СЕРВЕР\" прекращена."),
                                QStringLiteral("Внимание"), MB_OK | MB_ICONWARNING);
    }
    return true;
}

void TPropFrm::done(int result)
{
    dragged_ = nullptr;
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

} // namespace velta::settings
