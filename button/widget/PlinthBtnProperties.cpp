// The properties of PlinthBtn: accessors, their range checks and side effects, the menu
// items and the stored form.
#include "model/CaptionChoice.h"
#include "model/PropertyRules.h"
#include "model/VirtualKeys.h"
#include "plinth/PlinthBtn.h"
#include "plinth/PlinthEnums.h"
#include "widget/PlinthBtnPrivate.h"

#include <QCursor>
#include <QFontInfo>
#include <QLoggingCategory>
#include <algorithm>
#include <limits>

namespace {
Q_LOGGING_CATEGORY(lcPlinth, "plinth.button")
} // namespace

namespace plinth {

void PlinthBtnPrivate::changed(Change change) {
    if (change != Change::Look) {
        refreshCaption();
    }
    if (change == Change::Geometry) {
        q->updateGeometry();
    }
    q->update();
}

bool PlinthBtnPrivate::accept(const char* property, std::int64_t value) const {
    if (isAllowedValue(property, value)) {
        return true;
    }
    qCWarning(lcPlinth, "%s: %lld is not a value it takes; kept the old value", property,
              static_cast<long long>(value));
    return false;
}

void PlinthBtnPrivate::applyCursor() {
    static constexpr Qt::CursorShape kShapes[] = {
        Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
        Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
        Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor,
    };
    if (p.MousePointer == kxmp_既定値) {
        q->unsetCursor();
    } else if (p.MousePointer == kxmp_ユーザー定義) {
        if (p.MouseIcon.isNull()) {
            q->unsetCursor();
        } else {
            q->setCursor(QCursor(QPixmap::fromImage(p.MouseIcon.image())));
        }
    } else if (p.MousePointer > 0 && p.MousePointer <= kxmp_サイズ_全方向) {
        q->setCursor(kShapes[p.MousePointer]);
    }
}

void PlinthBtnPrivate::applyFocusPolicy() {
    // A click that must not take the focus leaves it where the operator was typing.
    q->setFocusPolicy(p.KillClickFocus ? Qt::TabFocus : Qt::StrongFocus);
}

QString PlinthBtnPrivate::standardCaption() const {
    return captionStdSet ? p.CaptionStd : q->objectName();
}

void PlinthBtnPrivate::refreshCaption() {
    // The base class's text is what accessibility tools read out.
    const QString caption = q->currentCaption();
    if (q->text() != caption) {
        q->setText(caption);
    }
    // The accelerator letter clicks the button from anywhere in its window.
    const QKeySequence accelerator =
        p.CaptionAccelerator ? QKeySequence::mnemonic(caption) : QKeySequence();
    if (q->shortcut() != accelerator) {
        q->setShortcut(accelerator);
    }
}

double fontPointSize(const QWidget& widget) {
    const QFont font = widget.font();
    if (font.pointSizeF() > 0) {
        return font.pointSizeF();
    }
    if (font.pixelSize() > 0) {
        return font.pixelSize() * 72.0 / widget.logicalDpiY();
    }
    return QFontInfo(font).pointSizeF();
}

PersistedButton PlinthBtnPrivate::persisted() const {
    PersistedButton out;
    // The button's own setting: inside a disabled container it is still enabled itself.
    out.Enabled = !q->testAttribute(Qt::WA_ForceDisabled);
    const QFont font = q->font();
    out.Font.name = font.family();
    out.Font.size = static_cast<std::int32_t>(fontPointSize(*q) * 10000 + 0.5);
    out.Font.weight = static_cast<std::int16_t>(font.weight());
    out.Font.italic = font.italic();
    out.Font.underline = font.underline();
    out.Font.strikethrough = font.strikeOut();
    out.props = p;
    out.props.CaptionStd = standardCaption();
    out.props.Value = q->isChecked();
    return out;
}

void PlinthBtnPrivate::apply(const PersistedButton& state) {
    p = state.props;
    captionStdSet = true;
    QFont font = q->font();
    if (!state.Font.name.isEmpty()) {
        font.setFamily(state.Font.name);
    }
    font.setPointSizeF(state.Font.size / 10000.0);
    font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(state.Font.weight, 100, 900)));
    font.setItalic(state.Font.italic);
    font.setUnderline(state.Font.underline);
    font.setStrikeOut(state.Font.strikethrough);
    q->setFont(font);
    q->setEnabled(state.Enabled);
    q->setCheckable(p.Toggle);
    q->setChecked(p.Toggle && p.Value);
    q->setToolTip(p.HintText);
    q->setAcceptDrops(p.OLEDropMode == kxodrop_手動);
    applyCursor();
    applyFocusPolicy();
    changed(Change::Geometry);
}

} // namespace plinth

using plinth::Change;
using plinth::PictureData;

QString PlinthBtn::CaptionStd() const {
    return d->standardCaption();
}

void PlinthBtn::setCaptionStd(const QString& value) {
    const bool same = d->captionStdSet && d->p.CaptionStd == value;
    d->captionStdSet = true;
    if (same) {
        return;
    }
    d->p.CaptionStd = value;
    d->changed(Change::Caption);
}

void PlinthBtn::setVKeyName(const QString& value) {
    const auto code = plinth::virtualKeyCode(value);
    if (!code) {
        qCWarning(lcPlinth, "VKeyName: no key is called \"%s\"; kept %s", qPrintable(value),
                  qPrintable(d->p.VKeyName));
        return;
    }
    d->p.VKeyNo = *code;
    d->p.VKeyName = plinth::virtualKeyName(*code);
}

void PlinthBtn::setVKeyNo(int value) {
    if (!d->accept("VKeyNo", value)) {
        return;
    }
    d->p.VKeyNo = static_cast<std::int16_t>(value);
    d->p.VKeyName = plinth::virtualKeyName(d->p.VKeyNo);
}

void PlinthBtn::setToggle(bool value) {
    if (d->p.Toggle == value) {
        return;
    }
    d->p.Toggle = value;
    if (!value) {
        setChecked(false);
    }
    setCheckable(value);
    d->changed(Change::Look);
}

bool PlinthBtn::Value() const {
    return isChecked();
}

void PlinthBtn::setValue(bool value) {
    if (d->p.Toggle) {
        setChecked(value);
        return;
    }
    // A plain button has no lasting value: setting it presses the button once.
    if (value) {
        click();
    }
}

void PlinthBtn::setAlignment(AlignmentConstants value) {
    if (!d->accept("Alignment", static_cast<int>(value))) {
        return;
    }
    d->p.Alignment = static_cast<int>(value);
    // Code written for the older single alignment keeps placing caption and picture.
    d->p.layout = plinth::layoutFromAlignment(d->p.Alignment, d->p.AlignPict);
    d->changed(Change::Geometry);
}

void PlinthBtn::setAlignPict(AlignPictConstants value) {
    if (!d->accept("AlignPict", static_cast<int>(value))) {
        return;
    }
    d->p.AlignPict = static_cast<int>(value);
    d->p.layout = plinth::layoutFromAlignment(d->p.Alignment, d->p.AlignPict);
    d->changed(Change::Geometry);
}

PlinthBtn::LostFocusCauseConstants PlinthBtn::LostFocusCause() const {
    return static_cast<LostFocusCauseConstants>(d->lostFocusCause);
}

bool PlinthBtn::SetMenuItem(int index, const QString& caption, bool enabled, bool hidden,
                            bool separator) {
    if (index < 0 || index >= kMenuItemCount) {
        return false;
    }
    d->p.menu[static_cast<std::size_t>(index)] = {caption, enabled, hidden, separator};
    return true;
}

bool PlinthBtn::GetMenuItem(int index, QString* caption, bool* enabled, bool* hidden,
                            bool* separator) const {
    if (index < 0 || index >= kMenuItemCount) {
        return false;
    }
    const plinth::MenuItem& item = d->p.menu[static_cast<std::size_t>(index)];
    if (caption != nullptr) {
        *caption = item.caption;
    }
    if (enabled != nullptr) {
        *enabled = item.enabled;
    }
    if (hidden != nullptr) {
        *hidden = item.hidden;
    }
    if (separator != nullptr) {
        *separator = item.separator;
    }
    return true;
}

namespace {

plinth::MenuItem* menuItem(plinth::ButtonProperties& p, int index) {
    return index >= 0 && index < PlinthBtn::kMenuItemCount
               ? &p.menu[static_cast<std::size_t>(index)]
               : nullptr;
}

} // namespace

QString PlinthBtn::MenuCaption(int index) const {
    const auto* item = menuItem(d->p, index);
    return item != nullptr ? item->caption : QString();
}

bool PlinthBtn::MenuEnabled(int index) const {
    const auto* item = menuItem(d->p, index);
    return item != nullptr && item->enabled;
}

bool PlinthBtn::MenuHidden(int index) const {
    const auto* item = menuItem(d->p, index);
    return item != nullptr && item->hidden;
}

bool PlinthBtn::MenuSeparator(int index) const {
    const auto* item = menuItem(d->p, index);
    return item != nullptr && item->separator;
}

bool PlinthBtn::setMenuCaption(int index, const QString& caption) {
    auto* item = menuItem(d->p, index);
    if (item == nullptr) {
        return false;
    }
    item->caption = caption;
    return true;
}

bool PlinthBtn::setMenuEnabled(int index, bool enabled) {
    auto* item = menuItem(d->p, index);
    if (item == nullptr) {
        return false;
    }
    item->enabled = enabled;
    return true;
}

bool PlinthBtn::setMenuHidden(int index, bool hidden) {
    auto* item = menuItem(d->p, index);
    if (item == nullptr) {
        return false;
    }
    item->hidden = hidden;
    return true;
}

bool PlinthBtn::setMenuSeparator(int index, bool separator) {
    auto* item = menuItem(d->p, index);
    if (item == nullptr) {
        return false;
    }
    item->separator = separator;
    return true;
}

int PlinthBtn::VKeyList(int index) {
    const auto keys = plinth::virtualKeyList();
    return index >= 0 && static_cast<std::size_t>(index) < keys.size()
               ? keys[static_cast<std::size_t>(index)].code
               : -1;
}

int PlinthBtn::vKeyListCount() {
    return static_cast<int>(plinth::virtualKeyList().size());
}

namespace {

PictureData* pictureProperty(plinth::ButtonProperties& p, const char* name) {
    const QLatin1String n(name);
    if (n == QLatin1String("Picture")) {
        return &p.Picture;
    }
    if (n == QLatin1String("DownPicture")) {
        return &p.DownPicture;
    }
    if (n == QLatin1String("DisabledPicture")) {
        return &p.DisabledPicture;
    }
    if (n == QLatin1String("OnPicture")) {
        return &p.OnPicture;
    }
    if (n == QLatin1String("MouseIcon")) {
        return &p.MouseIcon;
    }
    return nullptr;
}

} // namespace

bool PlinthBtn::setPictureData(const char* property, const QByteArray& bytes) {
    PictureData* target = pictureProperty(d->p, property);
    if (target == nullptr) {
        return false;
    }
    auto picture = PictureData::fromData(bytes);
    if (!picture) {
        return false;
    }
    *target = std::move(*picture);
    d->applyCursor();
    d->changed(Change::Geometry);
    return true;
}

QByteArray PlinthBtn::pictureData(const char* property) const {
    const PictureData* source = pictureProperty(d->p, property);
    return source != nullptr ? source->data() : QByteArray();
}

QByteArray PlinthBtn::saveProperties() const {
    plinth::automation::PropertyWriter writer;
    plinth::saveButton(d->persisted(), writer);
    const auto& bytes = writer.bytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

int PlinthBtn::loadProperties(const QByteArray& form) {
    plinth::automation::PropertyReader reader(
        std::span(reinterpret_cast<const std::uint8_t*>(form.constData()),
                  static_cast<std::size_t>(form.size())));
    plinth::PersistedButton state;
    const auto status = plinth::loadButton(reader, state);
    if (!status) {
        return status.error().number;
    }
    d->apply(state);
    return 0;
}

void PlinthBtn::setDesignMode(bool designMode) {
    d->designMode = designMode;
    update();
}

bool PlinthBtn::designMode() const {
    return d->designMode;
}

QString PlinthBtn::currentCaption() const {
    return plinth::chooseCaption(d->p, d->standardCaption(), d->modifiers);
}

QColor PlinthBtn::resolvedColor(uint oleColor) const {
    return plinth::resolveOleColor(oleColor, palette());
}

QPixmap PlinthBtn::MouseIcon() const {
    return QPixmap::fromImage(d->p.MouseIcon.image());
}

void PlinthBtn::setMouseIcon(const QPixmap& value) {
    d->p.MouseIcon = PictureData::fromImage(value.toImage());
    d->applyCursor();
    d->changed(Change::Look);
}

PlinthBtn::MousePointerConstants PlinthBtn::MousePointer() const {
    return static_cast<MousePointerConstants>(d->p.MousePointer);
}

void PlinthBtn::setMousePointer(MousePointerConstants value) {
    if (!d->accept("MousePointer", static_cast<int>(value))) {
        return;
    }
    if (d->p.MousePointer == static_cast<int>(value)) {
        return;
    }
    d->p.MousePointer = static_cast<int>(value);
    d->applyCursor();
    d->changed(Change::Look);
}

bool PlinthBtn::Show() const {
    return d->p.Show;
}

void PlinthBtn::setShow(bool value) {
    if (d->p.Show == value) {
        return;
    }
    d->p.Show = value;
    d->changed(Change::Look);
}

bool PlinthBtn::Thru() const {
    return d->p.Thru;
}

void PlinthBtn::setThru(bool value) {
    if (d->p.Thru == value) {
        return;
    }
    d->p.Thru = value;
    d->changed(Change::Look);
}

bool PlinthBtn::AlwaysActive() const {
    return d->p.AlwaysActive;
}

void PlinthBtn::setAlwaysActive(bool value) {
    if (d->p.AlwaysActive == value) {
        return;
    }
    d->p.AlwaysActive = value;
    d->changed(Change::Look);
}

QString PlinthBtn::CaptionAlt() const {
    return d->p.CaptionAlt;
}

void PlinthBtn::setCaptionAlt(const QString& value) {
    if (d->p.CaptionAlt == value) {
        return;
    }
    d->p.CaptionAlt = value;
    d->changed(Change::Caption);
}

QString PlinthBtn::CaptionAltC() const {
    return d->p.CaptionAltC;
}

void PlinthBtn::setCaptionAltC(const QString& value) {
    if (d->p.CaptionAltC == value) {
        return;
    }
    d->p.CaptionAltC = value;
    d->changed(Change::Caption);
}

QString PlinthBtn::CaptionAltCS() const {
    return d->p.CaptionAltCS;
}

void PlinthBtn::setCaptionAltCS(const QString& value) {
    if (d->p.CaptionAltCS == value) {
        return;
    }
    d->p.CaptionAltCS = value;
    d->changed(Change::Caption);
}

QString PlinthBtn::CaptionAltS() const {
    return d->p.CaptionAltS;
}

void PlinthBtn::setCaptionAltS(const QString& value) {
    if (d->p.CaptionAltS == value) {
        return;
    }
    d->p.CaptionAltS = value;
    d->changed(Change::Caption);
}

QString PlinthBtn::CaptionCtrl() const {
    return d->p.CaptionCtrl;
}

void PlinthBtn::setCaptionCtrl(const QString& value) {
    if (d->p.CaptionCtrl == value) {
        return;
    }
    d->p.CaptionCtrl = value;
    d->changed(Change::Caption);
}

QString PlinthBtn::CaptionCtrlS() const {
    return d->p.CaptionCtrlS;
}

void PlinthBtn::setCaptionCtrlS(const QString& value) {
    if (d->p.CaptionCtrlS == value) {
        return;
    }
    d->p.CaptionCtrlS = value;
    d->changed(Change::Caption);
}

QString PlinthBtn::CaptionShift() const {
    return d->p.CaptionShift;
}

void PlinthBtn::setCaptionShift(const QString& value) {
    if (d->p.CaptionShift == value) {
        return;
    }
    d->p.CaptionShift = value;
    d->changed(Change::Caption);
}

uint PlinthBtn::FocusColor() const {
    return d->p.FocusColor;
}

void PlinthBtn::setFocusColor(uint value) {
    if (!d->accept("FocusColor", value)) {
        return;
    }
    if (d->p.FocusColor == value) {
        return;
    }
    d->p.FocusColor = value;
    d->changed(Change::Look);
}

QString PlinthBtn::HintText() const {
    return d->p.HintText;
}

void PlinthBtn::setHintText(const QString& value) {
    if (d->p.HintText == value) {
        return;
    }
    d->p.HintText = value;
    setToolTip(value);
    d->changed(Change::Look);
}

QString PlinthBtn::VKeyName() const {
    return d->p.VKeyName;
}

int PlinthBtn::VKeyNo() const {
    return d->p.VKeyNo;
}

PlinthBtn::CaptionModeConstants PlinthBtn::CaptionMode() const {
    return static_cast<CaptionModeConstants>(d->p.CaptionMode);
}

void PlinthBtn::setCaptionMode(CaptionModeConstants value) {
    if (!d->accept("CaptionMode", static_cast<int>(value))) {
        return;
    }
    if (d->p.CaptionMode == static_cast<int>(value)) {
        return;
    }
    d->p.CaptionMode = static_cast<int>(value);
    d->changed(Change::Caption);
}

PlinthBtn::ButtonStyleConstants PlinthBtn::ButtonStyle() const {
    return static_cast<ButtonStyleConstants>(d->p.ButtonStyle);
}

void PlinthBtn::setButtonStyle(ButtonStyleConstants value) {
    if (!d->accept("ButtonStyle", static_cast<int>(value))) {
        return;
    }
    if (d->p.ButtonStyle == static_cast<int>(value)) {
        return;
    }
    d->p.ButtonStyle = static_cast<int>(value);
    d->changed(Change::Geometry);
}

PlinthBtn::FocusBorderConstants PlinthBtn::FocusBorder() const {
    return static_cast<FocusBorderConstants>(d->p.FocusBorder);
}

void PlinthBtn::setFocusBorder(FocusBorderConstants value) {
    if (!d->accept("FocusBorder", static_cast<int>(value))) {
        return;
    }
    if (d->p.FocusBorder == static_cast<int>(value)) {
        return;
    }
    d->p.FocusBorder = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::AlignmentConstants PlinthBtn::Alignment() const {
    return static_cast<AlignmentConstants>(d->p.Alignment);
}

PlinthBtn::AlignPictConstants PlinthBtn::AlignPict() const {
    return static_cast<AlignPictConstants>(d->p.AlignPict);
}

QPixmap PlinthBtn::Picture() const {
    return QPixmap::fromImage(d->p.Picture.image());
}

void PlinthBtn::setPicture(const QPixmap& value) {
    d->p.Picture = PictureData::fromImage(value.toImage());
    d->changed(Change::Geometry);
}

uint PlinthBtn::BackColor() const {
    return d->p.BackColor;
}

void PlinthBtn::setBackColor(uint value) {
    if (!d->accept("BackColor", value)) {
        return;
    }
    if (d->p.BackColor == value) {
        return;
    }
    d->p.BackColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::ForeColor() const {
    return d->p.ForeColor;
}

void PlinthBtn::setForeColor(uint value) {
    if (!d->accept("ForeColor", value)) {
        return;
    }
    if (d->p.ForeColor == value) {
        return;
    }
    d->p.ForeColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::DisabledColor() const {
    return d->p.DisabledColor;
}

void PlinthBtn::setDisabledColor(uint value) {
    if (!d->accept("DisabledColor", value)) {
        return;
    }
    if (d->p.DisabledColor == value) {
        return;
    }
    d->p.DisabledColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::CaptionPointedColor() const {
    return d->p.CaptionPointedColor;
}

void PlinthBtn::setCaptionPointedColor(uint value) {
    if (!d->accept("CaptionPointedColor", value)) {
        return;
    }
    if (d->p.CaptionPointedColor == value) {
        return;
    }
    d->p.CaptionPointedColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::BorderColor() const {
    return d->p.BorderColor;
}

void PlinthBtn::setBorderColor(uint value) {
    if (!d->accept("BorderColor", value)) {
        return;
    }
    if (d->p.BorderColor == value) {
        return;
    }
    d->p.BorderColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::LightColor() const {
    return d->p.LightColor;
}

void PlinthBtn::setLightColor(uint value) {
    if (!d->accept("LightColor", value)) {
        return;
    }
    if (d->p.LightColor == value) {
        return;
    }
    d->p.LightColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::ShadowColor() const {
    return d->p.ShadowColor;
}

void PlinthBtn::setShadowColor(uint value) {
    if (!d->accept("ShadowColor", value)) {
        return;
    }
    if (d->p.ShadowColor == value) {
        return;
    }
    d->p.ShadowColor = value;
    d->changed(Change::Look);
}

int PlinthBtn::BorderWidth() const {
    return d->p.BorderWidth;
}

void PlinthBtn::setBorderWidth(int value) {
    if (!d->accept("BorderWidth", value)) {
        return;
    }
    if (d->p.BorderWidth == value) {
        return;
    }
    d->p.BorderWidth = static_cast<std::int16_t>(value);
    d->changed(Change::Geometry);
}

int PlinthBtn::InnerBorderWidth() const {
    return d->p.InnerBorderWidth;
}

void PlinthBtn::setInnerBorderWidth(int value) {
    if (!d->accept("InnerBorderWidth", value)) {
        return;
    }
    if (d->p.InnerBorderWidth == value) {
        return;
    }
    d->p.InnerBorderWidth = static_cast<std::int16_t>(value);
    d->changed(Change::Geometry);
}

int PlinthBtn::OuterBorderWidth() const {
    return d->p.OuterBorderWidth;
}

void PlinthBtn::setOuterBorderWidth(int value) {
    if (!d->accept("OuterBorderWidth", value)) {
        return;
    }
    if (d->p.OuterBorderWidth == value) {
        return;
    }
    d->p.OuterBorderWidth = static_cast<std::int16_t>(value);
    d->changed(Change::Geometry);
}

bool PlinthBtn::Outline() const {
    return d->p.Outline;
}

void PlinthBtn::setOutline(bool value) {
    if (d->p.Outline == value) {
        return;
    }
    d->p.Outline = value;
    d->changed(Change::Geometry);
}

bool PlinthBtn::RoundedCorners() const {
    return d->p.RoundedCorners;
}

void PlinthBtn::setRoundedCorners(bool value) {
    if (d->p.RoundedCorners == value) {
        return;
    }
    d->p.RoundedCorners = value;
    d->changed(Change::Look);
}

PlinthBtn::VKeyExConstants PlinthBtn::VKeyEx() const {
    return static_cast<VKeyExConstants>(d->p.VKeyEx);
}

void PlinthBtn::setVKeyEx(VKeyExConstants value) {
    if (!d->accept("VKeyEx", static_cast<int>(value))) {
        return;
    }
    if (d->p.VKeyEx == static_cast<int>(value)) {
        return;
    }
    d->p.VKeyEx = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::VKeyACSConstants PlinthBtn::VKeyAlt() const {
    return static_cast<VKeyACSConstants>(d->p.VKeyAlt);
}

void PlinthBtn::setVKeyAlt(VKeyACSConstants value) {
    if (!d->accept("VKeyAlt", static_cast<int>(value))) {
        return;
    }
    if (d->p.VKeyAlt == static_cast<int>(value)) {
        return;
    }
    d->p.VKeyAlt = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::VKeyACSConstants PlinthBtn::VKeyCtrl() const {
    return static_cast<VKeyACSConstants>(d->p.VKeyCtrl);
}

void PlinthBtn::setVKeyCtrl(VKeyACSConstants value) {
    if (!d->accept("VKeyCtrl", static_cast<int>(value))) {
        return;
    }
    if (d->p.VKeyCtrl == static_cast<int>(value)) {
        return;
    }
    d->p.VKeyCtrl = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::VKeyACSConstants PlinthBtn::VKeyShift() const {
    return static_cast<VKeyACSConstants>(d->p.VKeyShift);
}

void PlinthBtn::setVKeyShift(VKeyACSConstants value) {
    if (!d->accept("VKeyShift", static_cast<int>(value))) {
        return;
    }
    if (d->p.VKeyShift == static_cast<int>(value)) {
        return;
    }
    d->p.VKeyShift = static_cast<int>(value);
    d->changed(Change::Look);
}

bool PlinthBtn::ClickAtEnterKey() const {
    return d->p.ClickAtEnterKey;
}

void PlinthBtn::setClickAtEnterKey(bool value) {
    if (d->p.ClickAtEnterKey == value) {
        return;
    }
    d->p.ClickAtEnterKey = value;
    d->changed(Change::Look);
}

bool PlinthBtn::ClickAtSpaceKey() const {
    return d->p.ClickAtSpaceKey;
}

void PlinthBtn::setClickAtSpaceKey(bool value) {
    if (d->p.ClickAtSpaceKey == value) {
        return;
    }
    d->p.ClickAtSpaceKey = value;
    d->changed(Change::Look);
}

PlinthBtn::LostFocusAtArrowConstants PlinthBtn::LostFocusAtHorzArrow() const {
    return static_cast<LostFocusAtArrowConstants>(d->p.LostFocusAtHorzArrow);
}

void PlinthBtn::setLostFocusAtHorzArrow(LostFocusAtArrowConstants value) {
    if (!d->accept("LostFocusAtHorzArrow", static_cast<int>(value))) {
        return;
    }
    if (d->p.LostFocusAtHorzArrow == static_cast<int>(value)) {
        return;
    }
    d->p.LostFocusAtHorzArrow = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::LostFocusAtArrowConstants PlinthBtn::LostFocusAtVertArrow() const {
    return static_cast<LostFocusAtArrowConstants>(d->p.LostFocusAtVertArrow);
}

void PlinthBtn::setLostFocusAtVertArrow(LostFocusAtArrowConstants value) {
    if (!d->accept("LostFocusAtVertArrow", static_cast<int>(value))) {
        return;
    }
    if (d->p.LostFocusAtVertArrow == static_cast<int>(value)) {
        return;
    }
    d->p.LostFocusAtVertArrow = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::Font3DConstants PlinthBtn::Font3D() const {
    return static_cast<Font3DConstants>(d->p.Font3D);
}

void PlinthBtn::setFont3D(Font3DConstants value) {
    if (!d->accept("Font3D", static_cast<int>(value))) {
        return;
    }
    if (d->p.Font3D == static_cast<int>(value)) {
        return;
    }
    d->p.Font3D = static_cast<int>(value);
    d->changed(Change::Look);
}

bool PlinthBtn::Toggle() const {
    return d->p.Toggle;
}

PlinthBtn::CaptionAlignmentHConstants PlinthBtn::CaptionAlignmentH() const {
    return static_cast<CaptionAlignmentHConstants>(d->p.layout.CaptionAlignmentH);
}

void PlinthBtn::setCaptionAlignmentH(CaptionAlignmentHConstants value) {
    if (!d->accept("CaptionAlignmentH", static_cast<int>(value))) {
        return;
    }
    if (d->p.layout.CaptionAlignmentH == static_cast<int>(value)) {
        return;
    }
    d->p.layout.CaptionAlignmentH = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::CaptionAlignmentVConstants PlinthBtn::CaptionAlignmentV() const {
    return static_cast<CaptionAlignmentVConstants>(d->p.layout.CaptionAlignmentV);
}

void PlinthBtn::setCaptionAlignmentV(CaptionAlignmentVConstants value) {
    if (!d->accept("CaptionAlignmentV", static_cast<int>(value))) {
        return;
    }
    if (d->p.layout.CaptionAlignmentV == static_cast<int>(value)) {
        return;
    }
    d->p.layout.CaptionAlignmentV = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::CaptionDirectionConstants PlinthBtn::CaptionDirection() const {
    return static_cast<CaptionDirectionConstants>(d->p.CaptionDirection);
}

void PlinthBtn::setCaptionDirection(CaptionDirectionConstants value) {
    if (!d->accept("CaptionDirection", static_cast<int>(value))) {
        return;
    }
    if (d->p.CaptionDirection == static_cast<int>(value)) {
        return;
    }
    d->p.CaptionDirection = static_cast<int>(value);
    d->changed(Change::Geometry);
}

PlinthBtn::CaptionFocusBorderConstants PlinthBtn::CaptionFocusBorder() const {
    return static_cast<CaptionFocusBorderConstants>(d->p.CaptionFocusBorder);
}

void PlinthBtn::setCaptionFocusBorder(CaptionFocusBorderConstants value) {
    if (!d->accept("CaptionFocusBorder", static_cast<int>(value))) {
        return;
    }
    if (d->p.CaptionFocusBorder == static_cast<int>(value)) {
        return;
    }
    d->p.CaptionFocusBorder = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::ButtonCaptionConstants PlinthBtn::CaptionPosition() const {
    return static_cast<ButtonCaptionConstants>(d->p.layout.CaptionPosition);
}

void PlinthBtn::setCaptionPosition(ButtonCaptionConstants value) {
    if (!d->accept("CaptionPosition", static_cast<int>(value))) {
        return;
    }
    if (d->p.layout.CaptionPosition == static_cast<int>(value)) {
        return;
    }
    d->p.layout.CaptionPosition = static_cast<int>(value);
    d->changed(Change::Geometry);
}

int PlinthBtn::CaptionRatio() const {
    return d->p.CaptionRatio;
}

void PlinthBtn::setCaptionRatio(int value) {
    if (!d->accept("CaptionRatio", value)) {
        return;
    }
    if (d->p.CaptionRatio == value) {
        return;
    }
    d->p.CaptionRatio = static_cast<std::int16_t>(value);
    d->changed(Change::Geometry);
}

int PlinthBtn::CaptionSize() const {
    return d->p.CaptionSize;
}

void PlinthBtn::setCaptionSize(int value) {
    if (!d->accept("CaptionSize", value)) {
        return;
    }
    if (d->p.CaptionSize == value) {
        return;
    }
    d->p.CaptionSize = static_cast<std::int16_t>(value);
    d->changed(Change::Geometry);
}

PlinthBtn::AlignmentHConstants PlinthBtn::AlignmentH() const {
    return static_cast<AlignmentHConstants>(d->p.layout.AlignmentH);
}

void PlinthBtn::setAlignmentH(AlignmentHConstants value) {
    if (!d->accept("AlignmentH", static_cast<int>(value))) {
        return;
    }
    if (d->p.layout.AlignmentH == static_cast<int>(value)) {
        return;
    }
    d->p.layout.AlignmentH = static_cast<int>(value);
    d->changed(Change::Look);
}

PlinthBtn::AlignmentVConstants PlinthBtn::AlignmentV() const {
    return static_cast<AlignmentVConstants>(d->p.layout.AlignmentV);
}

void PlinthBtn::setAlignmentV(AlignmentVConstants value) {
    if (!d->accept("AlignmentV", static_cast<int>(value))) {
        return;
    }
    if (d->p.layout.AlignmentV == static_cast<int>(value)) {
        return;
    }
    d->p.layout.AlignmentV = static_cast<int>(value);
    d->changed(Change::Look);
}

uint PlinthBtn::CaptionFocusColor() const {
    return d->p.CaptionFocusColor;
}

void PlinthBtn::setCaptionFocusColor(uint value) {
    if (!d->accept("CaptionFocusColor", value)) {
        return;
    }
    if (d->p.CaptionFocusColor == value) {
        return;
    }
    d->p.CaptionFocusColor = value;
    d->changed(Change::Look);
}

bool PlinthBtn::HalfToneColor() const {
    return d->p.HalfToneColor;
}

void PlinthBtn::setHalfToneColor(bool value) {
    if (d->p.HalfToneColor == value) {
        return;
    }
    d->p.HalfToneColor = value;
    d->changed(Change::Look);
}

bool PlinthBtn::CaptionAccelerator() const {
    return d->p.CaptionAccelerator;
}

void PlinthBtn::setCaptionAccelerator(bool value) {
    if (d->p.CaptionAccelerator == value) {
        return;
    }
    d->p.CaptionAccelerator = value;
    d->changed(Change::Geometry);
}

bool PlinthBtn::CaptionMultiLine() const {
    return d->p.CaptionMultiLine;
}

void PlinthBtn::setCaptionMultiLine(bool value) {
    if (d->p.CaptionMultiLine == value) {
        return;
    }
    d->p.CaptionMultiLine = value;
    d->changed(Change::Geometry);
}

bool PlinthBtn::CausesFocusMovement() const {
    return d->p.CausesFocusMovement;
}

void PlinthBtn::setCausesFocusMovement(bool value) {
    if (d->p.CausesFocusMovement == value) {
        return;
    }
    d->p.CausesFocusMovement = value;
    d->changed(Change::Look);
}

bool PlinthBtn::KillClickFocus() const {
    return d->p.KillClickFocus;
}

void PlinthBtn::setKillClickFocus(bool value) {
    if (d->p.KillClickFocus == value) {
        return;
    }
    d->p.KillClickFocus = value;
    d->applyFocusPolicy();
    d->changed(Change::Look);
}

bool PlinthBtn::TreatEnterAsTab() const {
    return d->p.TreatEnterAsTab;
}

void PlinthBtn::setTreatEnterAsTab(bool value) {
    if (d->p.TreatEnterAsTab == value) {
        return;
    }
    d->p.TreatEnterAsTab = value;
    d->changed(Change::Look);
}

QPixmap PlinthBtn::DownPicture() const {
    return QPixmap::fromImage(d->p.DownPicture.image());
}

void PlinthBtn::setDownPicture(const QPixmap& value) {
    d->p.DownPicture = PictureData::fromImage(value.toImage());
    d->changed(Change::Look);
}

QPixmap PlinthBtn::DisabledPicture() const {
    return QPixmap::fromImage(d->p.DisabledPicture.image());
}

void PlinthBtn::setDisabledPicture(const QPixmap& value) {
    d->p.DisabledPicture = PictureData::fromImage(value.toImage());
    d->changed(Change::Look);
}

QPixmap PlinthBtn::OnPicture() const {
    return QPixmap::fromImage(d->p.OnPicture.image());
}

void PlinthBtn::setOnPicture(const QPixmap& value) {
    d->p.OnPicture = PictureData::fromImage(value.toImage());
    d->changed(Change::Look);
}

uint PlinthBtn::DownColor() const {
    return d->p.DownColor;
}

void PlinthBtn::setDownColor(uint value) {
    if (!d->accept("DownColor", value)) {
        return;
    }
    if (d->p.DownColor == value) {
        return;
    }
    d->p.DownColor = value;
    d->changed(Change::Look);
}

uint PlinthBtn::OnColor() const {
    return d->p.OnColor;
}

void PlinthBtn::setOnColor(uint value) {
    if (!d->accept("OnColor", value)) {
        return;
    }
    if (d->p.OnColor == value) {
        return;
    }
    d->p.OnColor = value;
    d->changed(Change::Look);
}

PlinthBtn::OLEDropModeConstants PlinthBtn::OLEDropMode() const {
    return static_cast<OLEDropModeConstants>(d->p.OLEDropMode);
}

void PlinthBtn::setOLEDropMode(OLEDropModeConstants value) {
    if (!d->accept("OLEDropMode", static_cast<int>(value))) {
        return;
    }
    if (d->p.OLEDropMode == static_cast<int>(value)) {
        return;
    }
    d->p.OLEDropMode = static_cast<int>(value);
    setAcceptDrops(d->p.OLEDropMode == kxodrop_手動);
    d->changed(Change::Look);
}
