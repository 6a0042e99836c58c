#include "ctrl/TypeLibrary.h"

#include "tavrin/TavrinEnums.h"

#include <algorithm>
#include <array>

namespace tavrin {

namespace {

// Each entry takes its name and value from the same identifier, so the table cannot drift
// from the header hosts compile against.
// clang-format off
#define TAVRIN_MEMBER(constant) EnumMember{#constant, constant}
// clang-format on

constexpr std::array kEnumTavrinFunction = std::to_array<EnumMember>({
    TAVRIN_MEMBER(FUNC_MB_ILLEGAL_FUNCTION),
    TAVRIN_MEMBER(FUNC_MB_READ_COIL_STATUS),
    TAVRIN_MEMBER(FUNC_MB_READ_INPUT_STATUS),
    TAVRIN_MEMBER(FUNC_MB_READ_HOLDING_REGISTERS),
    TAVRIN_MEMBER(FUNC_MB_READ_INPUT_REGISTERS),
    TAVRIN_MEMBER(FUNC_MB_FORCE_SINGLE_COIL),
    TAVRIN_MEMBER(FUNC_MB_PRESET_SINGLE_REGISTER),
    TAVRIN_MEMBER(FUNC_MB_READ_EXCEPTION_STATUS),
    TAVRIN_MEMBER(FUNC_MB_DIAGNOSTIC_TEST),
    TAVRIN_MEMBER(FUNC_MB_FORCE_MULTIPLE_COILS),
    TAVRIN_MEMBER(FUNC_MB_PRESET_MULTIPLE_REGISTERS),
    TAVRIN_MEMBER(FUNC_MB_REPORT_SLAVE_ID),
    TAVRIN_MEMBER(FUNC_MB_READ_GENERAL_REFERENCE),
    TAVRIN_MEMBER(FUNC_MB_WRITE_GENERAL_REFERENCE),
    TAVRIN_MEMBER(FUNC_MB_MASK_WRITE_4X),
    TAVRIN_MEMBER(FUNC_MB_READ_WRITE_4X),
    TAVRIN_MEMBER(FUNC_MB_PRIVATE_POWER_SUITE_ID),
    TAVRIN_MEMBER(FUNC_MB_SCATTERED_READ),
    TAVRIN_MEMBER(FUNC_MB_CUSTOM_FUNCTION),
    TAVRIN_MEMBER(FUNC_MB_READ_DEVICE_ID),
    TAVRIN_MEMBER(FUNC_MB_SCATTERED_WRITE),
});

constexpr std::array kEnumTavrinDataMode = std::to_array<EnumMember>({
    TAVRIN_MEMBER(DATA_MODE_MB_RTU),
    TAVRIN_MEMBER(DATA_MODE_MB_ASCII),
    TAVRIN_MEMBER(DATA_MODE_MB_RTU_BAD),
});

constexpr std::array kEnumTavrinAddressType = std::to_array<EnumMember>({
    TAVRIN_MEMBER(ADDR_TYPE_MODICON_PLC),
    TAVRIN_MEMBER(ADDR_TYPE_GENERIC_0_BASED),
    TAVRIN_MEMBER(ADDR_TYPE_GENERIC_1_BASED),
    TAVRIN_MEMBER(ADDR_TYPE_MODICON_5_DIGIT),
    TAVRIN_MEMBER(ADDR_TYPE_ZERO_BASED),
    TAVRIN_MEMBER(ADDR_TYPE_ONE_BASED),
    TAVRIN_MEMBER(ADDR_TYPE_ENRON_MODBUS),
    TAVRIN_MEMBER(ADDR_TYPE_MODICON_6_DIGIT),
});

constexpr std::array kEnumTavrinResult = std::to_array<EnumMember>({
    TAVRIN_MEMBER(RES_AX_SUCCESS),
    TAVRIN_MEMBER(RES_MB_ILLEGAL_FUNCTION),
    TAVRIN_MEMBER(RES_MB_ILLEGAL_DATA_ADDRESS),
    TAVRIN_MEMBER(RES_MB_ILLEGAL_DATA_VALUE),
    TAVRIN_MEMBER(RES_MB_DEVICE_FAILURE),
    TAVRIN_MEMBER(RES_MB_ACKNOWLEDGE_ERROR),
    TAVRIN_MEMBER(RES_MB_BUSY_ERROR),
    TAVRIN_MEMBER(RES_MB_NAK_ERROR),
    TAVRIN_MEMBER(RES_MB_MEMORY_PARITY_ERROR),
    TAVRIN_MEMBER(RES_AX_COMM_TIMEOUT),
    TAVRIN_MEMBER(RES_AX_COMM_OPEN),
    TAVRIN_MEMBER(RES_AX_COMM_WRITE),
    TAVRIN_MEMBER(RES_AX_BAD_RESPONSE_FRAMING),
    TAVRIN_MEMBER(RES_AX_BAD_RESPONSE_BYTE_COUNT),
    TAVRIN_MEMBER(RES_AX_BAD_RESPONSE_LENGTH),
    TAVRIN_MEMBER(RES_AX_ILLEGAL_BROADCAST_FUNCTION),
    TAVRIN_MEMBER(RES_AX_TERMINATION_REQUESTED),
    TAVRIN_MEMBER(RES_AX_BAD_CHECKSUM),
    TAVRIN_MEMBER(RES_AX_INVALID_FUNCTION),
    TAVRIN_MEMBER(RES_AX_BAD_MEMSTART_FORMAT),
    TAVRIN_MEMBER(RES_AX_COMM_THREAD_NOT_READY),
});

constexpr std::array kEnumTavrinModemResult = std::to_array<EnumMember>({
    TAVRIN_MEMBER(MDM_RES_MODEM_OPERATION_CANCELLED),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_NO_CARRIER),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_ERROR),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_NO_DIAL_TONE),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_BUSY),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_NO_ANSWER),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_UNKNOWN),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_DIAL_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_INIT1_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_RESET_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_ESCAPE_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_HANGUP_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_ATTENTION_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_RESP_INIT2_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_DIAL_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_INIT1_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_RESET_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_ESCAPE_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_HANGUP_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_ATTENTION_CMD),
    TAVRIN_MEMBER(MDM_RES_MODEM_WRITE_INIT2_CMD),
});

constexpr std::array kEnumTavrinModemStatus = std::to_array<EnumMember>({
    TAVRIN_MEMBER(MS_CTS_ON),
    TAVRIN_MEMBER(MS_DSR_ON),
    TAVRIN_MEMBER(MS_RING_ON),
    TAVRIN_MEMBER(MS_RLSD_ON),
});

#undef TAVRIN_MEMBER

constexpr std::array kEnums = std::to_array<EnumInfo>({
    EnumInfo{"enumTavrinFunction", kEnumTavrinFunction},
    EnumInfo{"enumTavrinDataMode", kEnumTavrinDataMode},
    EnumInfo{"enumTavrinAddressType", kEnumTavrinAddressType},
    EnumInfo{"enumTavrinResult", kEnumTavrinResult},
    EnumInfo{"enumTavrinModemResult", kEnumTavrinModemResult},
    EnumInfo{"enumTavrinModemStatus", kEnumTavrinModemStatus},
});

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::span<const EnumInfo> publishedEnums() {
    return kEnums;
}

const EnumInfo* findEnum(std::string_view name) {
    const auto* found = std::find_if(kEnums.begin(), kEnums.end(), [&](const EnumInfo& info) {
        return equalsIgnoringCase(info.name, name);
    });
    return found != kEnums.end() ? found : nullptr;
}

std::optional<std::int32_t> findConstant(std::string_view name) {
    for (const EnumInfo& info : kEnums) {
        for (const EnumMember& member : info.members) {
            if (equalsIgnoringCase(member.name, name)) {
                return member.value;
            }
        }
    }
    return std::nullopt;
}

} // namespace tavrin
