#include "frame/AddressMap.h"

#include "tavrin/TavrinEnums.h"

namespace tavrin::frame {
namespace {

struct TableBase {
    std::int64_t fiveDigit;
    std::int64_t sixDigit;
};

// First reference of the table a function code addresses. Codes outside the tables carry
// sub-functions, file numbers or raw bytes, which are sent as written.
TableBase modiconBase(std::uint8_t code) {
    switch (code) {
    case 1:
    case 5:
    case 15:
        return {1, 1}; // coils 0xxxx
    case 2:
        return {10001, 100001}; // discrete inputs 1xxxx
    case 4:
        return {30001, 300001}; // input registers 3xxxx
    case 3:
    case 6:
    case 16:
    case 22:
    case 23:
    case 100:
        return {40001, 400001}; // holding registers 4xxxx
    default:
        return {0, 0};
    }
}

} // namespace

std::uint16_t MapAddress(std::int32_t addressType, std::uint8_t code, std::int64_t number) {
    std::int64_t address = number;
    switch (addressType) {
    case ADDR_TYPE_MODICON_PLC:
        address = number - modiconBase(code).fiveDigit;
        break;
    case ADDR_TYPE_MODICON_6_DIGIT:
        address = number - modiconBase(code).sixDigit;
        break;
    case ADDR_TYPE_GENERIC_1_BASED:
        address = number - 1;
        break;
    default: // zero-based, Enron and unknown conventions send the number as it is
        break;
    }
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(address) & 0xFFFFU);
}

} // namespace tavrin::frame
