// Late-bound access to the button: member numbers and names, argument counts and types,
// read-only and run-time-only members, the indexed members and the methods.
#include "ctrl/DispIds.h"
#include "ctrl/ObjectDispatch.h"
#include "ctrl/PlinthControl.h"
#include "model/PropertyRules.h"
#include "model/VirtualKeys.h"
#include "plinth/PlinthBtn.h"

#include <QMessageBox>
#include <array>

namespace plinth {

namespace {

using automation::DispId;
using automation::InvokeKind;
using automation::platformError;
using automation::Status;
using automation::Variant;
namespace d = dispid;

enum class Member : std::uint8_t {
    Property, // a stored property, by its rule
    Enabled,
    Font,
    Hwnd,
    LostFocusCause,
    VKeyList,
    Menu,
    GetPpgStatus,
    SetMenuItem,
    GetMenuItem,
    AboutBox,
};

struct MemberInfo {
    std::string_view name;
    DispId id;
    Member kind;
    const char* property; // the widget's Q_PROPERTY of a stored property
};

// clang-format off
constexpr auto kMembers = std::to_array<MemberInfo>({
    {"Show", d::Show, Member::Property, "Show"},
    {"Thru", d::Thru, Member::Property, "Thru"},
    {"CaptionStd", d::CaptionStd, Member::Property, "CaptionStd"},
    {"CaptionAlt", d::CaptionAlt, Member::Property, "CaptionAlt"},
    {"CaptionAltC", d::CaptionAltC, Member::Property, "CaptionAltC"},
    {"CaptionAltCS", d::CaptionAltCS, Member::Property, "CaptionAltCS"},
    {"CaptionAltS", d::CaptionAltS, Member::Property, "CaptionAltS"},
    {"CaptionCtrl", d::CaptionCtrl, Member::Property, "CaptionCtrl"},
    {"CaptionCtrlS", d::CaptionCtrlS, Member::Property, "CaptionCtrlS"},
    {"CaptionShift", d::CaptionShift, Member::Property, "CaptionShift"},
    {"FocusColor", d::FocusColor, Member::Property, "FocusColor"},
    {"HintText", d::HintText, Member::Property, "HintText"},
    {"VKeyName", d::VKeyName, Member::Property, "VKeyName"},
    {"VKeyNo", d::VKeyNo, Member::Property, "VKeyNo"},
    {"AlwaysActive", d::AlwaysActive, Member::Property, "AlwaysActive"},
    {"CaptionMode", d::CaptionMode, Member::Property, "CaptionMode"},
    {"FocusBorder", d::FocusBorder, Member::Property, "FocusBorder"},
    {"Picture", d::Picture, Member::Property, "Picture"},
    {"ButtonStyle", d::ButtonStyle, Member::Property, "ButtonStyle"},
    {"Alignment", d::Alignment, Member::Property, "Alignment"},
    {"AlignPict", d::AlignPict, Member::Property, "AlignPict"},
    {"MouseIcon", d::MouseIcon, Member::Property, "MouseIcon"},
    {"MousePointer", d::MousePointer, Member::Property, "MousePointer"},
    {"BorderColor", d::BorderColor, Member::Property, "BorderColor"},
    {"LightColor", d::LightColor, Member::Property, "LightColor"},
    {"ShadowColor", d::ShadowColor, Member::Property, "ShadowColor"},
    {"VKeyEx", d::VKeyEx, Member::Property, "VKeyEx"},
    {"VKeyAlt", d::VKeyAlt, Member::Property, "VKeyAlt"},
    {"VKeyCtrl", d::VKeyCtrl, Member::Property, "VKeyCtrl"},
    {"VKeyShift", d::VKeyShift, Member::Property, "VKeyShift"},
    {"ClickAtEnterKey", d::ClickAtEnterKey, Member::Property, "ClickAtEnterKey"},
    {"ClickAtSpaceKey", d::ClickAtSpaceKey, Member::Property, "ClickAtSpaceKey"},
    {"BorderWidth", d::BorderWidth, Member::Property, "BorderWidth"},
    {"InnerBorderWidth", d::InnerBorderWidth, Member::Property, "InnerBorderWidth"},
    {"OuterBorderWidth", d::OuterBorderWidth, Member::Property, "OuterBorderWidth"},
    {"Outline", d::Outline, Member::Property, "Outline"},
    {"RoundedCorners", d::RoundedCorners, Member::Property, "RoundedCorners"},
    {"Font3D", d::Font3D, Member::Property, "Font3D"},
    {"Toggle", d::Toggle, Member::Property, "Toggle"},
    {"DisabledColor", d::DisabledColor, Member::Property, "DisabledColor"},
    {"Value", d::Value, Member::Property, "Value"},
    {"_Value", d::DefaultValue, Member::Property, "Value"},
    {"CaptionPointedColor", d::CaptionPointedColor, Member::Property, "CaptionPointedColor"},
    {"LostFocusAtHorzArrow", d::LostFocusAtHorzArrow, Member::Property, "LostFocusAtHorzArrow"},
    {"LostFocusAtVertArrow", d::LostFocusAtVertArrow, Member::Property, "LostFocusAtVertArrow"},
    {"LostFocusCause", d::LostFocusCause, Member::LostFocusCause, nullptr},
    {"VKeyList", d::VKeyList, Member::VKeyList, nullptr},
    {"CaptionPosition", d::CaptionPosition, Member::Property, "CaptionPosition"},
    {"CaptionAlignmentH", d::CaptionAlignmentH, Member::Property, "CaptionAlignmentH"},
    {"CaptionAlignmentV", d::CaptionAlignmentV, Member::Property, "CaptionAlignmentV"},
    {"CaptionRatio", d::CaptionRatio, Member::Property, "CaptionRatio"},
    {"CaptionSize", d::CaptionSize, Member::Property, "CaptionSize"},
    {"CaptionFocusBorder", d::CaptionFocusBorder, Member::Property, "CaptionFocusBorder"},
    {"CaptionFocusColor", d::CaptionFocusColor, Member::Property, "CaptionFocusColor"},
    {"AlignmentH", d::AlignmentH, Member::Property, "AlignmentH"},
    {"AlignmentV", d::AlignmentV, Member::Property, "AlignmentV"},
    {"HalfToneColor", d::HalfToneColor, Member::Property, "HalfToneColor"},
    {"DownPicture", d::DownPicture, Member::Property, "DownPicture"},
    {"DisabledPicture", d::DisabledPicture, Member::Property, "DisabledPicture"},
    {"CaptionAccelerator", d::CaptionAccelerator, Member::Property, "CaptionAccelerator"},
    {"CausesFocusMovement", d::CausesFocusMovement, Member::Property, "CausesFocusMovement"},
    {"OnPicture", d::OnPicture, Member::Property, "OnPicture"},
    {"DownColor", d::DownColor, Member::Property, "DownColor"},
    {"OnColor", d::OnColor, Member::Property, "OnColor"},
    {"KillClickFocus", d::KillClickFocus, Member::Property, "KillClickFocus"},
    {"OLEDropMode", d::OLEDropMode, Member::Property, "OLEDropMode"},
    {"CaptionMultiLine", d::CaptionMultiLine, Member::Property, "CaptionMultiLine"},
    {"CaptionDirection", d::CaptionDirection, Member::Property, "CaptionDirection"},
    {"TreatEnterAsTab", d::TreatEnterAsTab, Member::Property, "TreatEnterAsTab"},
    {"GetPpgStatus", d::GetPpgStatus, Member::GetPpgStatus, nullptr},
    {"SetMenuItem", d::SetMenuItem, Member::SetMenuItem, nullptr},
    {"GetMenuItem", d::GetMenuItem, Member::GetMenuItem, nullptr},
    {"MenuCaption", d::MenuCaption, Member::Menu, nullptr},
    {"MenuEnabled", d::MenuEnabled, Member::Menu, nullptr},
    {"MenuHidden", d::MenuHidden, Member::Menu, nullptr},
    {"MenuSeparator", d::MenuSeparator, Member::Menu, nullptr},
    {"BackColor", d::BackColor, Member::Property, "BackColor"},
    {"Enabled", d::Enabled, Member::Enabled, nullptr},
    {"Font", d::Font, Member::Font, nullptr},
    {"ForeColor", d::ForeColor, Member::Property, "ForeColor"},
    {"hWnd", d::hWnd, Member::Hwnd, nullptr},
    {"AboutBox", d::AboutBox, Member::AboutBox, nullptr},
});

constexpr auto kEventNames = std::to_array<automation::MemberName>({
    {"Click", d::Click}, {"DblClick", d::DblClick}, {"KeyDown", d::KeyDown},
    {"KeyPress", d::KeyPress}, {"KeyUp", d::KeyUp}, {"MouseDown", d::MouseDown},
    {"MouseMove", d::MouseMove}, {"MouseUp", d::MouseUp}, {"VKeyDown", d::VKeyDown},
    {"VKeyUp", d::VKeyUp}, {"FocusMove", d::FocusMove}, {"OLECompleteDrag", d::OLECompleteDrag},
    {"OLEStartDrag", d::OLEStartDrag}, {"OLEGiveFeedback", d::OLEGiveFeedback},
    {"OLEDragOver", d::OLEDragOver}, {"OLEDragDrop", d::OLEDragDrop},
    {"MenuClicked", d::MenuClicked}, {"BeforePopup", d::BeforePopup},
});
// clang-format on

const MemberInfo* memberInfo(DispId id) {
    for (const MemberInfo& m : kMembers) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

// A menu index (0 to 19) from a host's argument.
Status menuIndex(const Variant& v, int& index) {
    std::int16_t value = 0;
    if (Status s = automation::toI2(v, value); !s) {
        return s;
    }
    if (value < 0 || value >= PlinthBtn::kMenuItemCount) {
        return platformError(automation::kErrInvalidPropertyArrayIndex);
    }
    index = value;
    return {};
}

Variant text(const QString& s) {
    return Variant::bstr(s.toStdString());
}

QByteArray bytesOf(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

std::optional<DispId> PlinthControl::idOfName(std::string_view name) const {
    for (const MemberInfo& m : kMembers) {
        if (automation::detail::equalsIgnoringCase(m.name, name)) {
            return m.id;
        }
    }
    return std::nullopt;
}

std::optional<DispId> PlinthControl::eventIdOfName(std::string_view name) const {
    return automation::findMember(kEventNames, name);
}

Status PlinthControl::invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) {
    result = Variant();
    const MemberInfo* member = memberInfo(id);
    if (member == nullptr) {
        return platformError(automation::kErrMemberNotFound);
    }
    if (!m_widget) {
        return platformError(automation::kErrInvalidCall);
    }
    switch (member->kind) {
    case Member::Property:
        return dispatchProperty(id, member->property, kind, args, result);
    case Member::Menu:
    case Member::SetMenuItem:
    case Member::GetMenuItem:
        return dispatchMenu(id, kind, args, result);
    default:
        return dispatchSpecial(id, kind, args, result);
    }
}

Status PlinthControl::dispatchProperty(DispId id, std::string_view property, InvokeKind kind,
                                       std::span<Variant> args, Variant& result) {
    const PropertyRule& rule = *findRule(property);
    const char* name = rule.name.data(); // the table's names are literals
    PlinthBtn& w = *m_widget;
    if (kind != InvokeKind::PropertyPut) {
        if (Status s = automation::expectArguments(args, 0); !s) {
            return s;
        }
        const QVariant value = w.property(name);
        switch (rule.kind) {
        case ValueKind::Boolean:
            result = Variant::boolean(value.toBool());
            break;
        case ValueKind::Text:
            result = text(value.toString());
            break;
        case ValueKind::Int16:
            result = Variant::i2(static_cast<std::int16_t>(value.toInt()));
            break;
        case ValueKind::Enumeration:
            result = Variant::i4(value.toInt());
            break;
        case ValueKind::Colour:
            result = Variant::i4(static_cast<std::int32_t>(value.toUInt()));
            break;
        case ValueKind::Picture: {
            const QByteArray bytes = w.pictureData(name);
            result = Variant::bstr(
                std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            break;
        }
        }
        return {};
    }
    if (Status s = automation::expectArguments(args, 1); !s) {
        return s;
    }
    const Variant& in = args[0];
    QVariant value;
    switch (rule.kind) {
    case ValueKind::Boolean: {
        bool b = false;
        if (Status s = automation::toBool(in, b); !s) {
            return s;
        }
        value = b;
        break;
    }
    case ValueKind::Text: {
        std::string s;
        if (Status st = automation::toString(in, s); !st) {
            return st;
        }
        value = QString::fromStdString(s);
        if (id == d::VKeyName && !virtualKeyCode(value.toString())) {
            return platformError(automation::kErrInvalidPropertyValue);
        }
        break;
    }
    case ValueKind::Int16: {
        std::int16_t n = 0;
        if (Status s = automation::toI2(in, n); !s) {
            return s;
        }
        if (!isAllowedValue(rule, n)) {
            return platformError(automation::kErrInvalidPropertyValue);
        }
        value = int{n};
        break;
    }
    case ValueKind::Enumeration: {
        std::int32_t n = 0;
        if (Status s = automation::toI4(in, n); !s) {
            return s;
        }
        if (!isAllowedValue(rule, n)) {
            return platformError(automation::kErrInvalidPropertyValue);
        }
        value = n;
        break;
    }
    case ValueKind::Colour: {
        std::int32_t n = 0;
        if (Status s = automation::toI4(in, n); !s) {
            return s;
        }
        const auto colour = static_cast<std::uint32_t>(n);
        if (!isAllowedValue(rule, colour)) {
            return platformError(automation::kErrInvalidPropertyValue);
        }
        value = colour;
        break;
    }
    case ValueKind::Picture: {
        std::string bytes;
        if (Status s = automation::toString(in, bytes); !s) {
            return s;
        }
        if (!w.setPictureData(name, bytesOf(bytes))) {
            return platformError(automation::kErrInvalidPicture);
        }
        changed(id);
        return {};
    }
    }
    w.setProperty(name, value);
    changed(id);
    return {};
}

Status PlinthControl::dispatchMenu(DispId id, InvokeKind kind, std::span<Variant> args,
                                   Variant& result) {
    PlinthBtn& w = *m_widget;
    int index = 0;
    if (id == d::SetMenuItem || id == d::GetMenuItem) {
        if (kind == InvokeKind::PropertyPut) {
            return platformError(automation::kErrMemberNotFound);
        }
        if (Status s = automation::expectArguments(args, 5); !s) {
            return s;
        }
        if (Status s = menuIndex(args[0], index); !s) {
            return s;
        }
        if (id == d::GetMenuItem) {
            QString caption;
            bool enabled = false;
            bool hidden = false;
            bool separator = false;
            w.GetMenuItem(index, &caption, &enabled, &hidden, &separator);
            args[1] = text(caption);
            args[2] = Variant::boolean(enabled);
            args[3] = Variant::boolean(hidden);
            args[4] = Variant::boolean(separator);
            return {};
        }
        std::string caption;
        bool flags[3] = {};
        if (Status s = automation::toString(args[1], caption); !s) {
            return s;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (Status s = automation::toBool(args[k + 2], flags[k]); !s) {
                return s;
            }
        }
        w.SetMenuItem(index, QString::fromStdString(caption), flags[0], flags[1], flags[2]);
        changed(id);
        return {};
    }
    const bool put = kind == InvokeKind::PropertyPut;
    if (Status s = automation::expectArguments(args, put ? 2 : 1); !s) {
        return s;
    }
    if (Status s = menuIndex(args[0], index); !s) {
        return s;
    }
    if (!put) {
        switch (id) {
        case d::MenuCaption:
            result = text(w.MenuCaption(index));
            break;
        case d::MenuEnabled:
            result = Variant::boolean(w.MenuEnabled(index));
            break;
        case d::MenuHidden:
            result = Variant::boolean(w.MenuHidden(index));
            break;
        default:
            result = Variant::boolean(w.MenuSeparator(index));
            break;
        }
        return {};
    }
    if (id == d::MenuCaption) {
        std::string caption;
        if (Status s = automation::toString(args[1], caption); !s) {
            return s;
        }
        w.setMenuCaption(index, QString::fromStdString(caption));
    } else {
        bool flag = false;
        if (Status s = automation::toBool(args[1], flag); !s) {
            return s;
        }
        if (id == d::MenuEnabled) {
            w.setMenuEnabled(index, flag);
        } else if (id == d::MenuHidden) {
            w.setMenuHidden(index, flag);
        } else {
            w.setMenuSeparator(index, flag);
        }
    }
    changed(id);
    return {};
}

Status PlinthControl::dispatchSpecial(DispId id, InvokeKind kind, std::span<Variant> args,
                                      Variant& result) {
    PlinthBtn& w = *m_widget;
    const bool put = kind == InvokeKind::PropertyPut;
    switch (id) {
    case d::Enabled: {
        if (!put) {
            if (Status s = automation::expectArguments(args, 0); !s) {
                return s;
            }
            // The button's own setting, not the state its container imposes.
            result = Variant::boolean(!w.testAttribute(Qt::WA_ForceDisabled));
            return {};
        }
        bool enabled = false;
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        if (Status s = automation::toBool(args[0], enabled); !s) {
            return s;
        }
        w.setEnabled(enabled);
        changed(id);
        return {};
    }
    case d::Font: {
        if (!put) {
            if (Status s = automation::expectArguments(args, 0); !s) {
                return s;
            }
            result = Variant::object(makeFontObject(&w));
            return {};
        }
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        QFont font;
        if (Status s = fontFromVariant(args[0], w.font(), font); !s) {
            return s;
        }
        w.setFont(font);
        changed(id);
        return {};
    }
    case d::hWnd:
    case d::LostFocusCause:
        if (put) {
            return platformError(automation::kErrSetNotSupported);
        }
        if (Status s = automation::expectArguments(args, 0); !s) {
            return s;
        }
        if (!userMode()) {
            return platformError(automation::kErrGetNotSupported); // run time only
        }
        result = id == d::hWnd ? Variant::i4(static_cast<std::int32_t>(w.effectiveWinId()))
                               : Variant::i4(static_cast<std::int32_t>(w.LostFocusCause()));
        return {};
    case d::VKeyList: {
        if (put) {
            return platformError(automation::kErrSetNotSupported);
        }
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        std::int16_t index = 0;
        if (Status s = automation::toI2(args[0], index); !s) {
            return s;
        }
        const int code = PlinthBtn::VKeyList(index);
        if (code < 0) {
            return platformError(automation::kErrInvalidPropertyArrayIndex);
        }
        result = Variant::i2(static_cast<std::int16_t>(code));
        return {};
    }
    case d::GetPpgStatus:
        if (put) {
            return platformError(automation::kErrMemberNotFound);
        }
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        // The button's pages are the form designer's property editor: none is open here.
        args[0] = Variant::i4(0);
        return {};
    case d::AboutBox: {
        if (put) {
            return platformError(automation::kErrMemberNotFound);
        }
        if (Status s = automation::expectArguments(args, 0); !s) {
            return s;
        }
        // Not modal: a host's call returns at once and the box closes on its own button.
        auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("PlinthBtn"),
                                    QStringLiteral("PlinthBtn command button\n"
                                                   "Grolle.PlinthBtn, stored form version 4"),
                                    QMessageBox::Ok, w.window());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("plinthAboutBox"));
        box->open();
        return {};
    }
    default:
        return platformError(automation::kErrMemberNotFound);
    }
}

} // namespace plinth
