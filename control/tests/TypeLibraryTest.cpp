#include "ctrl/TypeLibrary.h"

#include "tavrin/TavrinEnums.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace tavrin {
namespace {

struct Constant {
    std::string name;
    std::int32_t published; // the number hosts pass
    std::int32_t header;    // the constant a compiled host gets from TavrinEnums.h
};

struct ExpectedEnum {
    std::string name;
    std::vector<Constant> constants;
};

// Names and numbers typed in from the control's published programming interface, not
// taken from our header, so a slip in either the header or the table shows up here.
// clang-format off
#define C(name, value) Constant{#name, value, name}
// clang-format on
const std::vector<ExpectedEnum> kPublished = {
    {"enumTavrinFunction",
     {
         C(FUNC_MB_READ_COIL_STATUS, 1),         C(FUNC_MB_READ_INPUT_STATUS, 2),
         C(FUNC_MB_READ_HOLDING_REGISTERS, 3),   C(FUNC_MB_READ_INPUT_REGISTERS, 4),
         C(FUNC_MB_FORCE_SINGLE_COIL, 5),        C(FUNC_MB_PRESET_SINGLE_REGISTER, 6),
         C(FUNC_MB_READ_EXCEPTION_STATUS, 7),    C(FUNC_MB_DIAGNOSTIC_TEST, 8),
         C(FUNC_MB_FORCE_MULTIPLE_COILS, 15),    C(FUNC_MB_PRESET_MULTIPLE_REGISTERS, 16),
         C(FUNC_MB_REPORT_SLAVE_ID, 17),         C(FUNC_MB_READ_GENERAL_REFERENCE, 20),
         C(FUNC_MB_WRITE_GENERAL_REFERENCE, 21), C(FUNC_MB_MASK_WRITE_4X, 22),
         C(FUNC_MB_READ_WRITE_4X, 23),           C(FUNC_MB_READ_DEVICE_ID, 4314),
         C(FUNC_MB_PRIVATE_POWER_SUITE_ID, 65),  C(FUNC_MB_SCATTERED_READ, 100),
         C(FUNC_MB_SCATTERED_WRITE, 10005),      C(FUNC_MB_ILLEGAL_FUNCTION, 0),
         C(FUNC_MB_CUSTOM_FUNCTION, 255),
     }},
    {"enumTavrinDataMode",
     {
         C(DATA_MODE_MB_RTU, 0),
         C(DATA_MODE_MB_ASCII, 1),
         C(DATA_MODE_MB_RTU_BAD, 2),
     }},
    {"enumTavrinAddressType",
     {
         C(ADDR_TYPE_MODICON_PLC, 0),
         C(ADDR_TYPE_GENERIC_0_BASED, 1),
         C(ADDR_TYPE_GENERIC_1_BASED, 2),
         C(ADDR_TYPE_MODICON_5_DIGIT, 0),
         C(ADDR_TYPE_ZERO_BASED, 1),
         C(ADDR_TYPE_ONE_BASED, 2),
         C(ADDR_TYPE_ENRON_MODBUS, 3),
         C(ADDR_TYPE_MODICON_6_DIGIT, 4),
     }},
    {"enumTavrinResult",
     {
         C(RES_AX_SUCCESS, 0),
         C(RES_MB_ILLEGAL_FUNCTION, 1),
         C(RES_MB_ILLEGAL_DATA_ADDRESS, 2),
         C(RES_MB_ILLEGAL_DATA_VALUE, 3),
         C(RES_MB_DEVICE_FAILURE, 4),
         C(RES_MB_ACKNOWLEDGE_ERROR, 5),
         C(RES_MB_BUSY_ERROR, 6),
         C(RES_MB_NAK_ERROR, 7),
         C(RES_MB_MEMORY_PARITY_ERROR, 8),
         C(RES_AX_COMM_TIMEOUT, 256),
         C(RES_AX_COMM_OPEN, 1280),
         C(RES_AX_COMM_WRITE, 1536),
         C(RES_AX_BAD_RESPONSE_FRAMING, 2304),
         C(RES_AX_BAD_RESPONSE_BYTE_COUNT, 4096),
         C(RES_AX_BAD_RESPONSE_LENGTH, 4352),
         C(RES_AX_ILLEGAL_BROADCAST_FUNCTION, 4608),
         C(RES_AX_TERMINATION_REQUESTED, 4864),
         C(RES_AX_BAD_CHECKSUM, 5120),
         C(RES_AX_INVALID_FUNCTION, 5376),
         C(RES_AX_BAD_MEMSTART_FORMAT, 5888),
         C(RES_AX_COMM_THREAD_NOT_READY, 8192),
     }},
    {"enumTavrinModemResult",
     {
         C(MDM_RES_MODEM_OPERATION_CANCELLED, 40960), C(MDM_RES_MODEM_RESP_NO_CARRIER, 41216),
         C(MDM_RES_MODEM_RESP_ERROR, 41472),          C(MDM_RES_MODEM_RESP_NO_DIAL_TONE, 41728),
         C(MDM_RES_MODEM_RESP_BUSY, 41984),           C(MDM_RES_MODEM_RESP_NO_ANSWER, 42240),
         C(MDM_RES_MODEM_RESP_UNKNOWN, 42496),        C(MDM_RES_MODEM_RESP_DIAL_CMD, 42752),
         C(MDM_RES_MODEM_RESP_INIT1_CMD, 43008),      C(MDM_RES_MODEM_RESP_RESET_CMD, 43264),
         C(MDM_RES_MODEM_RESP_ESCAPE_CMD, 43520),     C(MDM_RES_MODEM_RESP_HANGUP_CMD, 43776),
         C(MDM_RES_MODEM_RESP_ATTENTION_CMD, 44032),  C(MDM_RES_MODEM_RESP_INIT2_CMD, 44288),
         C(MDM_RES_MODEM_WRITE_DIAL_CMD, 45056),      C(MDM_RES_MODEM_WRITE_INIT1_CMD, 45568),
         C(MDM_RES_MODEM_WRITE_RESET_CMD, 45824),     C(MDM_RES_MODEM_WRITE_ESCAPE_CMD, 46080),
         C(MDM_RES_MODEM_WRITE_HANGUP_CMD, 46336),    C(MDM_RES_MODEM_WRITE_ATTENTION_CMD, 46592),
         C(MDM_RES_MODEM_WRITE_INIT2_CMD, 46848),
     }},
    {"enumTavrinModemStatus",
     {
         C(MS_CTS_ON, 16),
         C(MS_DSR_ON, 32),
         C(MS_RING_ON, 64),
         C(MS_RLSD_ON, 128),
     }},
};
#undef C

TEST(TypeLibrary, HeaderConstantsHaveThePublishedValues) {
    for (const ExpectedEnum& expected : kPublished) {
        for (const Constant& constant : expected.constants) {
            EXPECT_EQ(constant.header, constant.published) << constant.name;
        }
    }
}

TEST(TypeLibrary, EachEnumerationListsExactlyItsPublishedConstants) {
    ASSERT_EQ(publishedEnums().size(), kPublished.size());
    for (const ExpectedEnum& expected : kPublished) {
        const EnumInfo* info = findEnum(expected.name);
        ASSERT_NE(info, nullptr) << expected.name;

        std::vector<std::pair<std::string, std::int32_t>> want;
        for (const Constant& constant : expected.constants) {
            want.emplace_back(constant.name, constant.published);
        }
        std::vector<std::pair<std::string, std::int32_t>> got;
        for (const EnumMember& member : info->members) {
            got.emplace_back(std::string(member.name), member.value);
        }
        // Hosts bind by name; the order of the members is not part of the interface.
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want) << expected.name;
    }
}

TEST(TypeLibrary, ConstantsResolveByNameInAnyCase) {
    for (const ExpectedEnum& expected : kPublished) {
        for (const Constant& constant : expected.constants) {
            EXPECT_EQ(findConstant(constant.name), constant.published) << constant.name;
        }
    }
    EXPECT_EQ(findConstant("res_ax_comm_open"), 1280);
    EXPECT_EQ(findConstant("Addr_Type_Modicon_5_Digit"), 0);
    ASSERT_NE(findEnum("ENUMTAVRINRESULT"), nullptr);
    EXPECT_EQ(findEnum("ENUMTAVRINRESULT")->name, "enumTavrinResult");
}

TEST(TypeLibrary, UnknownNamesAreNotFound) {
    // The unnamed results (device busy, hang-up without answer) have no constant.
    EXPECT_EQ(findConstant("RES_AX_DEVICE_BUSY"), std::nullopt);
    EXPECT_EQ(findConstant("RES_AX_SUCCESS_"), std::nullopt);
    EXPECT_EQ(findConstant(""), std::nullopt);
    EXPECT_EQ(findEnum("enumTavrin"), nullptr);
}

} // namespace
} // namespace tavrin
