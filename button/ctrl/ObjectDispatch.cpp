#include "ctrl/ObjectDispatch.h"

#include "plinth/PlinthBtn.h"
#include "plinth/PlinthDataObject.h"
#include "widget/PlinthBtnPrivate.h"

#include <QBuffer>
#include <QImage>
#include <array>

namespace plinth {

namespace {

using automation::DispId;
using automation::InvokeKind;
using automation::platformError;
using automation::Status;
using automation::Variant;

// The platform's font object numbers, which scripts use late-bound.
constexpr DispId kFontName = 0;
constexpr DispId kFontSize = 2;
constexpr DispId kFontBold = 3;
constexpr DispId kFontItalic = 4;
constexpr DispId kFontUnderline = 5;
constexpr DispId kFontStrikethrough = 6;
constexpr DispId kFontWeight = 7;
constexpr DispId kFontCharset = 8;

constexpr auto kFontMembers = std::to_array<automation::MemberName>({
    {"Name", kFontName},
    {"Size", kFontSize},
    {"Bold", kFontBold},
    {"Italic", kFontItalic},
    {"Underline", kFontUnderline},
    {"Strikethrough", kFontStrikethrough},
    {"Weight", kFontWeight},
    {"Charset", kFontCharset},
});

class FontDispatch final : public automation::Dispatch {
public:
    explicit FontDispatch(PlinthBtn* button) : m_button(button) {}

    Status invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) override {
        result = Variant();
        if (!m_button) {
            return platformError(automation::kErrInvalidCall);
        }
        QFont font = m_button->font();
        if (kind != InvokeKind::PropertyPut) {
            if (Status s = automation::expectArguments(args, 0); !s) {
                return s;
            }
            switch (id) {
            case kFontName:
                result = Variant::bstr(font.family().toStdString());
                return {};
            case kFontSize:
                result = Variant::r8(fontPointSize(*m_button));
                return {};
            case kFontBold:
                result = Variant::boolean(font.bold());
                return {};
            case kFontItalic:
                result = Variant::boolean(font.italic());
                return {};
            case kFontUnderline:
                result = Variant::boolean(font.underline());
                return {};
            case kFontStrikethrough:
                result = Variant::boolean(font.strikeOut());
                return {};
            case kFontWeight:
                result = Variant::i2(static_cast<std::int16_t>(font.weight()));
                return {};
            case kFontCharset:
                result = Variant::i2(0);
                return {};
            default:
                return platformError(automation::kErrMemberNotFound);
            }
        }
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        Status s;
        switch (id) {
        case kFontName: {
            std::string name;
            if ((s = automation::toString(args[0], name))) {
                font.setFamily(QString::fromStdString(name));
            }
            break;
        }
        case kFontSize: {
            double size = 0;
            if ((s = automation::toR8(args[0], size)) && !(size > 0 && size <= 2048)) {
                s = platformError(automation::kErrInvalidPropertyValue);
            }
            if (s) {
                font.setPointSizeF(size);
            }
            break;
        }
        case kFontBold:
        case kFontItalic:
        case kFontUnderline:
        case kFontStrikethrough: {
            bool on = false;
            if ((s = automation::toBool(args[0], on))) {
                if (id == kFontBold) {
                    font.setBold(on);
                } else if (id == kFontItalic) {
                    font.setItalic(on);
                } else if (id == kFontUnderline) {
                    font.setUnderline(on);
                } else {
                    font.setStrikeOut(on);
                }
            }
            break;
        }
        case kFontWeight: {
            std::int16_t weight = 0;
            if ((s = automation::toI2(args[0], weight)) && (weight < 1 || weight > 1000)) {
                s = platformError(automation::kErrInvalidPropertyValue);
            }
            if (s) {
                font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(weight, 100, 900)));
            }
            break;
        }
        case kFontCharset:
            return {}; // text is Unicode here; the character set has nothing to choose
        default:
            return platformError(automation::kErrMemberNotFound);
        }
        if (s) {
            m_button->setFont(font);
        }
        return s;
    }

    std::optional<DispId> idOfName(std::string_view name) const override {
        return automation::findMember(kFontMembers, name);
    }
    std::string typeName() const override { return "StdFont"; }

private:
    QPointer<PlinthBtn> m_button;
};

// The paths of the dragged files: Count, and Item(index) from 0.
class FilesDispatch final : public automation::Dispatch {
public:
    explicit FilesDispatch(QStringList files) : m_files(std::move(files)) {}

    Status invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result) override {
        result = Variant();
        if (kind == InvokeKind::PropertyPut) {
            return platformError(automation::kErrSetNotSupported);
        }
        if (id == 1) {
            if (Status s = automation::expectArguments(args, 0); !s) {
                return s;
            }
            result = Variant::i4(static_cast<std::int32_t>(m_files.size()));
            return {};
        }
        if (id != 0) {
            return platformError(automation::kErrMemberNotFound);
        }
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        std::int32_t index = 0;
        if (Status s = automation::toI4(args[0], index); !s) {
            return s;
        }
        if (index < 0 || index >= m_files.size()) {
            return platformError(automation::kErrInvalidPropertyArrayIndex);
        }
        result = Variant::bstr(m_files[index].toStdString());
        return {};
    }
    std::optional<DispId> idOfName(std::string_view name) const override {
        static constexpr std::array<automation::MemberName, 2> kMembers{
            {{"Item", 0}, {"Count", 1}}};
        return automation::findMember(kMembers, name);
    }
    std::string typeName() const override { return "DataObjectFiles"; }

private:
    QStringList m_files;
};

constexpr DispId kDataClear = 1;
constexpr DispId kDataGetData = 2;
constexpr DispId kDataGetFormat = 3;
constexpr DispId kDataSetData = 4;
constexpr DispId kDataFiles = 5;

constexpr auto kDataMembers = std::to_array<automation::MemberName>({
    {"Clear", kDataClear},
    {"GetData", kDataGetData},
    {"GetFormat", kDataGetFormat},
    {"SetData", kDataSetData},
    {"Files", kDataFiles},
});

Status formatArgument(const Variant& v, int& format) {
    std::int32_t value = 0;
    if (Status s = automation::toI4(v, value); !s) {
        return s;
    }
    format = value;
    return {};
}

} // namespace

std::shared_ptr<automation::Dispatch> makeFontObject(PlinthBtn* button) {
    return std::make_shared<FontDispatch>(button);
}

Status fontFromVariant(const Variant& value, const QFont& base, QFont& out) {
    if (value.type() == automation::VarType::Bstr) {
        out = base;
        if (!out.fromString(QString::fromStdString(value.asBstr()))) {
            return platformError(automation::kErrInvalidPropertyValue);
        }
        return {};
    }
    if (value.type() != automation::VarType::Dispatch || !value.asObject()) {
        return platformError(automation::kErrTypeMismatch);
    }
    // Another font object: read what it describes through its own members.
    automation::Dispatch& source = *value.asObject();
    out = base;
    const auto read = [&](std::string_view member, Variant& v) {
        const auto id = source.idOfName(member);
        return id && source.invoke(*id, InvokeKind::PropertyGet, {}, v).isOk();
    };
    Variant v;
    std::string name;
    if (!read("Name", v) || !automation::toString(v, name)) {
        return platformError(automation::kErrTypeMismatch);
    }
    out.setFamily(QString::fromStdString(name));
    double size = 0;
    if (read("Size", v) && automation::toR8(v, size) && size > 0 && size <= 2048) {
        out.setPointSizeF(size);
    }
    bool flag = false;
    if (read("Bold", v) && automation::toBool(v, flag)) {
        out.setBold(flag);
    }
    if (read("Italic", v) && automation::toBool(v, flag)) {
        out.setItalic(flag);
    }
    if (read("Underline", v) && automation::toBool(v, flag)) {
        out.setUnderline(flag);
    }
    if (read("Strikethrough", v) && automation::toBool(v, flag)) {
        out.setStrikeOut(flag);
    }
    return {};
}

Status DataObjectDispatch::invoke(DispId id, InvokeKind kind, std::span<Variant> args,
                                  Variant& result) {
    result = Variant();
    if (m_data == nullptr) {
        return platformError(automation::kErrInvalidCall); // kept beyond its event
    }
    if (kind == InvokeKind::PropertyPut) {
        return platformError(id == kDataFiles ? automation::kErrSetNotSupported
                                              : automation::kErrMemberNotFound);
    }
    int format = 0;
    switch (id) {
    case kDataClear:
        if (Status s = automation::expectArguments(args, 0); !s) {
            return s;
        }
        return m_data->Clear() ? Status() : platformError(automation::kErrInvalidCall);
    case kDataGetFormat:
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        if (Status s = formatArgument(args[0], format); !s) {
            return s;
        }
        result = Variant::boolean(m_data->GetFormat(format));
        return {};
    case kDataGetData: {
        if (Status s = automation::expectArguments(args, 1); !s) {
            return s;
        }
        if (Status s = formatArgument(args[0], format); !s) {
            return s;
        }
        const QVariant data = m_data->GetData(format);
        if (!data.isValid()) {
            return platformError(automation::kErrInvalidCall);
        }
        if (format == PlinthDataObject::kFormatBitmap || format == PlinthDataObject::kFormatDib) {
            // Pictures cross the interface as their PNG bytes, as the button's do.
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            data.value<QImage>().save(&buffer, "PNG");
            result =
                Variant::bstr(std::string(png.constData(), static_cast<std::size_t>(png.size())));
        } else if (format == PlinthDataObject::kFormatFiles) {
            result = Variant::bstr(data.toStringList().join(u'\n').toStdString());
        } else {
            result = Variant::bstr(data.toString().toStdString());
        }
        return {};
    }
    case kDataSetData: {
        if (Status s = automation::expectArguments(args, 2); !s) {
            return s;
        }
        if (Status s = formatArgument(args[1], format); !s) {
            return s;
        }
        std::string value;
        if (Status s = automation::toString(args[0], value); !s) {
            return s;
        }
        QVariant data = QString::fromStdString(value);
        if (format == PlinthDataObject::kFormatBitmap || format == PlinthDataObject::kFormatDib) {
            QImage image;
            if (!image.loadFromData(
                    QByteArray(value.data(), static_cast<qsizetype>(value.size())))) {
                return platformError(automation::kErrInvalidPicture);
            }
            data = image;
        }
        return m_data->SetData(data, format) ? Status()
                                             : platformError(automation::kErrInvalidCall);
    }
    case kDataFiles:
        if (Status s = automation::expectArguments(args, 0); !s) {
            return s;
        }
        result = Variant::object(std::make_shared<FilesDispatch>(m_data->Files()));
        return {};
    default:
        return platformError(automation::kErrMemberNotFound);
    }
}

std::optional<DispId> DataObjectDispatch::idOfName(std::string_view name) const {
    return automation::findMember(kDataMembers, name);
}

} // namespace plinth
