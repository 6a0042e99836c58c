// Errors an automation call raises towards its host: a number the host tests and the
// sentence it shows. The numbers are the ones late-bound hosts already know from the
// platform's own controls, so a host's error handler needs no table of ours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace plinth::automation {

struct Error {
    std::int32_t number = 0;
    std::string message;

    friend bool operator==(const Error&, const Error&) = default;
};

inline constexpr std::int32_t kErrInvalidCall = 5;
inline constexpr std::int32_t kErrOverflow = 6;
inline constexpr std::int32_t kErrTypeMismatch = 13;
inline constexpr std::int32_t kErrInvalidFileFormat = 321;
inline constexpr std::int32_t kErrInvalidPropertyValue = 380;
inline constexpr std::int32_t kErrInvalidPropertyArrayIndex = 381;
inline constexpr std::int32_t kErrSetNotSupported = 383;
inline constexpr std::int32_t kErrGetNotSupported = 394;
inline constexpr std::int32_t kErrMemberNotFound = 438;
inline constexpr std::int32_t kErrWrongArgumentCount = 450;
inline constexpr std::int32_t kErrInvalidPicture = 481;

// The standard sentence of a platform error number.
inline Error platformError(std::int32_t number) {
    switch (number) {
    case kErrInvalidCall:
        return {number, "Invalid procedure call or argument"};
    case kErrOverflow:
        return {number, "Overflow"};
    case kErrTypeMismatch:
        return {number, "Type mismatch"};
    case kErrInvalidFileFormat:
        return {number, "Invalid file format"};
    case kErrInvalidPropertyValue:
        return {number, "Invalid property value"};
    case kErrInvalidPropertyArrayIndex:
        return {number, "Invalid property array index"};
    case kErrSetNotSupported:
        return {number, "'Set' not supported (read-only property)"};
    case kErrGetNotSupported:
        return {number, "'Get' not supported (write-only property)"};
    case kErrMemberNotFound:
        return {number, "Object doesn't support this property or method"};
    case kErrWrongArgumentCount:
        return {number, "Wrong number of arguments or invalid property assignment"};
    case kErrInvalidPicture:
        return {number, "Invalid picture"};
    default:
        return {number, "Application-defined or object-defined error"};
    }
}

// The outcome of a call that produces no value: success, or the error to raise.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Error error) : m_error(std::move(error)) {}

    static Status ok() { return {}; }
    bool isOk() const { return !m_error.has_value(); }
    explicit operator bool() const { return isOk(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace plinth::automation
