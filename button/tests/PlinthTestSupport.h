// Shared by the button's tests: a writer of stored forms that knows nothing of the
// library's own (so a form built here checks the library's reader independently), and an
// event sink that records events and can answer their by-reference arguments.
#pragma once

#include "automation/Dispatch.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace plinth::testing {

// Little-endian, Booleans as 16-bit -1/0, strings and pictures as a 32-bit byte count and
// the bytes, enumerations as 32-bit values, as the stored form is laid out.
class FormBuilder {
public:
    FormBuilder& u32(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) {
            m_bytes.append(static_cast<char>((v >> (8 * k)) & 0xFFu));
        }
        return *this;
    }
    FormBuilder& i4(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    FormBuilder& i2(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        m_bytes.append(static_cast<char>(u & 0xFFu));
        m_bytes.append(static_cast<char>(u >> 8));
        return *this;
    }
    FormBuilder& boolean(bool v) { return i2(v ? std::int16_t{-1} : std::int16_t{0}); }
    FormBuilder& bytes(const QByteArray& v) {
        u32(static_cast<std::uint32_t>(v.size()));
        m_bytes.append(v);
        return *this;
    }
    FormBuilder& text(const QString& v) { return bytes(v.toUtf8()); }

    // The container's stock block: Enabled, then the font (name, size in 1/10000 point,
    // weight, character set, italic, underline, strikethrough).
    FormBuilder& stock(bool enabled = true) {
        return boolean(enabled)
            .text(QStringLiteral("Sans Serif"))
            .i4(90000)
            .i2(400)
            .i2(0)
            .boolean(false)
            .boolean(false)
            .boolean(false);
    }

    const QByteArray& data() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

struct RecordedEvent {
    automation::DispId id;
    std::vector<automation::Variant> args;
};

class RecordingSink final : public automation::EventSink {
public:
    // Called with the arguments before they go back; may change them.
    std::function<void(automation::DispId, std::span<automation::Variant>)> answer;
    std::vector<RecordedEvent> events;

    void onEvent(automation::DispId id, std::span<automation::Variant> args) override {
        events.push_back({id, {args.begin(), args.end()}});
        if (answer) {
            answer(id, args);
        }
    }

    std::vector<automation::DispId> ids() const {
        std::vector<automation::DispId> out;
        for (const RecordedEvent& e : events) {
            out.push_back(e.id);
        }
        return out;
    }
};

} // namespace plinth::testing

namespace plinth::automation {

// How QCOMPARE prints a variant that differs.
inline char* toString(const Variant& v) {
    std::string text;
    if (v.type() == VarType::Dispatch) {
        text = "object";
    } else if (!automation::toString(v, text)) {
        text = "?";
    }
    return qstrdup(QStringLiteral("(vt %1) %2")
                       .arg(static_cast<int>(v.type()))
                       .arg(QString::fromStdString(text))
                       .toUtf8()
                       .constData());
}

} // namespace plinth::automation
