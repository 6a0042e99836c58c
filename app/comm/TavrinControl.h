// One control instance as the host sees it: properties and methods called late-bound by
// member number, and the Complete event as a Qt signal. Errors come back as the control's
// automation error numbers (0 = success); nothing here throws.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <variant>

struct TavrinControl;
struct TavrinVariant;

namespace torvik::comm {

class TavrinLibrary;

// A value crossing the interface, by its variant type: VT_I2, VT_I4, VT_R4, VT_R8, VT_BOOL,
// VT_BSTR; monostate is VT_EMPTY.
using TavrinValue =
    std::variant<std::monostate, std::int16_t, std::int32_t, float, double, bool, QString>;

struct InvokeResult {
    std::int32_t error = 0; // automation error number, or a negative failure of the call
    QString message;        // the control's text for the error
    TavrinValue value;
    bool ok() const { return error == 0; }
};

// A typed reading: `value` is meaningful when `error` is 0.
template <class T>
struct Fetched {
    T value{};
    std::int32_t error = 0;
    explicit operator bool() const { return error == 0; }
};

class TavrinControl : public QObject {
    Q_OBJECT
public:
    // Takes over one reference of `handle` and advises the event sink.
    TavrinControl(std::shared_ptr<TavrinLibrary> library, ::TavrinControl* handle);
    ~TavrinControl() override;
    TavrinControl(const TavrinControl&) = delete;
    TavrinControl& operator=(const TavrinControl&) = delete;

    // kind: TAVRIN_INVOKE_METHOD, _PROPERTYGET or _PROPERTYPUT (value last).
    InvokeResult invoke(std::int32_t dispid, std::int32_t kind, std::span<const TavrinValue> args);

    std::int32_t setI2(std::int32_t dispid, std::int16_t value);
    std::int32_t setI4(std::int32_t dispid, std::int32_t value);
    std::int32_t setText(std::int32_t dispid, const QString& value);
    std::int32_t setBool(std::int32_t dispid, bool value);

    Fetched<std::int16_t> getI2(std::int32_t dispid);
    Fetched<std::int32_t> getI4(std::int32_t dispid);
    Fetched<QString> getText(std::int32_t dispid);
    Fetched<bool> getBool(std::int32_t dispid);

    // The members the runs use, by name.
    std::int32_t AsyncRefresh();
    std::int32_t SyncRefresh();
    std::int32_t Disconnect();
    bool Busy();            // false when it cannot be read
    std::int16_t Result();  // 0 when it cannot be read
    QString ResultString(); // empty when it cannot be read
    Fetched<float> GetDataFloatSwapM(std::int16_t index);
    Fetched<std::int32_t> GetDataLongSwapM(std::int16_t index);
    Fetched<std::int16_t> GetDataByteM(std::int16_t index);
    Fetched<std::int16_t> GetDataWordM(std::int16_t index);
    Fetched<bool> GetDataBitM(std::int16_t index);
    Fetched<std::int16_t> DataWord(std::int16_t index);
    std::int32_t SetDataWordM(std::int16_t index, std::int16_t value);
    std::int32_t SetDataByteM(std::int16_t index, std::int16_t value);

    // Text of the last failed call (empty after a success).
    const QString& lastErrorMessage() const { return m_lastError; }

signals:
    // The transaction's Result; fired from the notification pump on the UI thread, or from
    // inside AsyncRefresh for a refresh refused at once.
    void Complete(short nResult);

private:
    static void onEvent(void* context, std::int32_t dispid, const ::TavrinVariant* args,
                        std::uint32_t argc);
    template <class T>
    Fetched<T> fetch(std::int32_t dispid, std::int32_t kind, std::span<const TavrinValue> args);

    std::shared_ptr<TavrinLibrary> m_library;
    ::TavrinControl* m_handle;
    QString m_lastError;
};

} // namespace torvik::comm
