#include "persist/PropertyExchange.h"

#include "model/VirtualKeys.h"

namespace plinth {

namespace {

using automation::platformError;
using automation::Status;

// One ordered list of properties serves saving and loading, so the two cannot drift.
class SaveArchive {
public:
    explicit SaveArchive(automation::PropertyWriter& out) : m_out(out) {}

    void io(bool& v) { m_out.writeBool(v); }
    void io(std::int16_t& v) { m_out.writeI2(v); }
    void io(std::int32_t& v) { m_out.writeI4(v); }
    void io(std::uint32_t& v) { m_out.writeU32(v); }
    void io(QString& v) { m_out.writeString(v.toStdString()); }
    void io(PictureData& v) { m_out.writeString(v.data().toStdString()); }

private:
    automation::PropertyWriter& m_out;
};

class LoadArchive {
public:
    explicit LoadArchive(automation::PropertyReader& in) : m_in(in) {}

    void io(bool& v) { check(m_in.readBool(v)); }
    void io(std::int16_t& v) { check(m_in.readI2(v)); }
    void io(std::int32_t& v) { check(m_in.readI4(v)); }
    void io(std::uint32_t& v) { check(m_in.readU32(v)); }
    void io(QString& v) {
        std::string bytes;
        if (check(m_in.readString(bytes))) {
            v = QString::fromStdString(bytes);
        }
    }
    void io(PictureData& v) {
        std::string bytes;
        if (!check(m_in.readString(bytes))) {
            return;
        }
        auto picture =
            PictureData::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (!picture) {
            fail(automation::kErrInvalidPicture);
            return;
        }
        v = std::move(*picture);
    }

    const Status& status() const { return m_status; }
    void fail(std::int32_t number) {
        if (m_status) {
            m_status = platformError(number);
        }
    }

private:
    // Once failed, later reads do nothing: the first error is the one reported.
    bool check(bool read) {
        if (!m_status) {
            return false;
        }
        if (!read) {
            fail(automation::kErrInvalidFileFormat);
        }
        return read;
    }

    automation::PropertyReader& m_in;
    Status m_status;
};

template <class Archive>
void exchange(Archive& a, PersistedButton& b, std::uint32_t major) {
    a.io(b.Enabled);
    a.io(b.Font.name);
    a.io(b.Font.size);
    a.io(b.Font.weight);
    a.io(b.Font.charset);
    a.io(b.Font.italic);
    a.io(b.Font.underline);
    a.io(b.Font.strikethrough);

    ButtonProperties& p = b.props;
    a.io(p.MouseIcon);
    a.io(p.MousePointer);
    a.io(p.Show);
    a.io(p.Thru);
    a.io(p.AlwaysActive);
    a.io(p.CaptionStd);
    a.io(p.CaptionAlt);
    a.io(p.CaptionAltC);
    a.io(p.CaptionAltCS);
    a.io(p.CaptionAltS);
    a.io(p.CaptionCtrl);
    a.io(p.CaptionCtrlS);
    a.io(p.CaptionShift);
    a.io(p.FocusColor);
    a.io(p.HintText);
    a.io(p.VKeyName);
    a.io(p.VKeyNo);
    a.io(p.CaptionMode);
    a.io(p.ButtonStyle);
    a.io(p.FocusBorder);
    a.io(p.Alignment);
    a.io(p.AlignPict);
    a.io(p.Picture);
    if (major < 3) {
        return;
    }
    a.io(p.BackColor);
    a.io(p.ForeColor);
    a.io(p.DisabledColor);
    a.io(p.CaptionPointedColor);
    a.io(p.BorderColor);
    a.io(p.LightColor);
    a.io(p.ShadowColor);
    a.io(p.BorderWidth);
    a.io(p.InnerBorderWidth);
    a.io(p.OuterBorderWidth);
    a.io(p.Outline);
    a.io(p.RoundedCorners);
    a.io(p.VKeyEx);
    a.io(p.VKeyAlt);
    a.io(p.VKeyCtrl);
    a.io(p.VKeyShift);
    a.io(p.ClickAtEnterKey);
    a.io(p.ClickAtSpaceKey);
    a.io(p.LostFocusAtHorzArrow);
    a.io(p.LostFocusAtVertArrow);
    a.io(p.Font3D);
    a.io(p.Toggle);
    a.io(p.Value);
    if (major < 4) {
        return;
    }
    a.io(p.layout.CaptionAlignmentH);
    a.io(p.layout.CaptionAlignmentV);
    a.io(p.CaptionDirection);
    a.io(p.CaptionFocusBorder);
    a.io(p.layout.CaptionPosition);
    a.io(p.CaptionRatio);
    a.io(p.CaptionSize);
    a.io(p.layout.AlignmentH);
    a.io(p.layout.AlignmentV);
    a.io(p.CaptionFocusColor);
    a.io(p.HalfToneColor);
    a.io(p.CaptionAccelerator);
    a.io(p.CaptionMultiLine);
    a.io(p.CausesFocusMovement);
    a.io(p.KillClickFocus);
    a.io(p.TreatEnterAsTab);
    a.io(p.DownPicture);
    a.io(p.DisabledPicture);
    a.io(p.OnPicture);
    a.io(p.DownColor);
    a.io(p.OnColor);
    a.io(p.OLEDropMode);
    // Forms name these "PMenuCaption" + i, "PEnabled" + i, "PHidden" + i, "PSeparator" + i.
    for (MenuItem& item : p.menu) {
        a.io(item.caption);
        a.io(item.enabled);
        a.io(item.hidden);
        a.io(item.separator);
    }
}

} // namespace

void saveButton(const PersistedButton& button, automation::PropertyWriter& out) {
    out.writeU32(kFormatVersion);
    PersistedButton copy = button; // the archive's interface is shared with loading
    SaveArchive archive(out);
    exchange(archive, copy, kFormatVersion >> 16);
}

Status loadButton(automation::PropertyReader& in, PersistedButton& button) {
    std::uint32_t version = 0;
    if (!in.readU32(version)) {
        return platformError(automation::kErrInvalidFileFormat);
    }
    // A later minor revision of a known major keeps its layout (and may append to it).
    const std::uint32_t major = version >> 16;
    if (major < 2 || major > kFormatVersion >> 16) {
        return platformError(automation::kErrInvalidFileFormat);
    }
    PersistedButton loaded;
    LoadArchive archive(in);
    exchange(archive, loaded, major);
    if (!archive.status()) {
        return archive.status();
    }
    if (major == 2) {
        applyVersion2Values(loaded.props);
    } else if (major == 3) {
        applyVersion3Values(loaded.props);
    }
    if (!hasValidValues(loaded.props) || loaded.Font.size <= 0) {
        return platformError(automation::kErrInvalidFileFormat);
    }
    // A plain button has no on state to restore.
    loaded.props.Value = loaded.props.Value && loaded.props.Toggle;
    // The key is its number; the stored name only shows it and may be spelled in ways this
    // library does not know, so it is taken from the number, as either write does.
    loaded.props.VKeyName = virtualKeyName(loaded.props.VKeyNo);
    button = std::move(loaded);
    return {};
}

} // namespace plinth
