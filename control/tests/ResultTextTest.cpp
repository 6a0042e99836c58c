#include "ctrl/ResultText.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace tavrin {
namespace {

struct Case {
    std::int32_t result;
    std::string text;
};

// Every sentence with a number of its own, copied character for character from the
// control's published result table: hosts and operators match on these texts, so the
// misspellings ("recieved", "thatno") and the support number are part of them.
const std::vector<Case> kKnown = {
    {0, "Successful transaction!"},
    {1, "Modbus error: ILLEGAL FUNCTION: The function code received in the query is not an "
        "allowable action for the slave. This may be because the function code is only applicable "
        "to newer controllers and was not implemented in the specified unit. It could also "
        "indicate that the slave is in the wrong state to process a request of this type, for "
        "example because it is unconfigured and is being asked to return register values."},
    {2, "Modbus error: ILLEGAL DATA ADDRESS: The data address recieved in the query is not an "
        "allowable value for the slave. More specifically, the combination of reference number and "
        "transfer length is invalid."},
    {3, "Modbus error: ILLEGAL DATA VALUE: A value contained in the query data field is not an "
        "allowable value for the slave. This indicates a fault in the structure of the remainder "
        "of a complex request, such as that the implied length is incorrect. It specifically does "
        "not mean that a data item submitted for storage in a register has a value outside the "
        "expectation of the application program, since Modbus protocol is unaware of the "
        "significance of any particular value of any particular register."},
    {4, "Modbus error: ILLEGAL RESPONSE LENGTH: Indicates that the request as framed would "
        "generate a response whose size exceeds the available Modbus data size. Used only by "
        "functions generating a multi-part response, such as functions 20 & 21."},
    {5, "Modbus error: ACKNOWLEDGE: Specialized use in conjunction with programming commands."},
    {6,
     "Modbus error: SLAVE DEVICE BUSY: Specialized use in conjunction with programming commands."},
    {7, "Modbus error: NEGATIVE ACKNOWLEDGE: Specialized use in conjunction with programming "
        "commands."},
    {8, "Modbus error: MEMORY PARITY ERROR: Specialized use in conjunction with function codes 20 "
        "& 21, to indicate that the extended file area failed to pass a consistency check."},
    {10, "Modbus error: GATEWAY PATH UNAVAILABLE: Specialized use in conjunction with Modbus Plus "
         "gateways, indicates that the gateway was unable to allocate a Modbus Plus path to use to "
         "process the request. Usually means that the gateway is misconfigured."},
    {11, "Modbus error: GATEWAY TARGET DEVICE FAILED TO RESPOND: Specialized use in conjunction "
         "with Modbus Plus gateways, indicates thatno response was obtained from the target "
         "device. Usually means that the device is not present on the network."},
    {256, "ActiveX error: communications timeout - did not receive a reply within time period "
          "specified by TimeoutTrans property. Check TimeoutTrans property value, slave device "
          "power, cabling, communications settings, Modbus node address."},
    {1280, "ActiveX error: error opening communications port - ensure that no other application is "
           "using this comm port."},
    {1536, "ActiveX error: error writing to communications port - retry transaction. If problem "
           "persists, consult technical support at 555-014-2236."},
    {1792, "ActiveX error: Device is busy! Please try again."},
    {2304, "ActiveX error: reply data was not framed correctly, retry transaction. If problem "
           "persists, consult technical support at 555-014-2236."},
    {4096,
     "ActiveX error: reply packet byte count did not match value specified in byte count field, "
     "retry transaction. If problem persists, consult technical support at 555-014-2236."},
    {4352, "ActiveX error: reply packet length did not match anticipated length, retry "
           "transaction. If problem persists, consult technical support at 555-014-2236."},
    {4608, "ActiveX error: illegal broadcast function. The broadcast node address cannot be used "
           "on read transactions."},
    {4864, "ActiveX error: user requested termination before transaction could complete."},
    {5120, "ActiveX error: checksum error, corrupted data was detected. Retry transaction. If "
           "problem persists, check cable length, cable quality, network termination, or presence "
           "of electrical or RF interference."},
    {5376, "ActiveX error: invalid function number supplied to Function property."},
    {5888, "ActiveX error: the tag specified in the MemStart property is not valid."},
    {8192, "ActiveX error: internal error initializing communications thread. Contact factory."},
};

TEST(ResultString, KnownResultsGiveTheirSentence) {
    for (const Case& c : kKnown) {
        EXPECT_EQ(ResultString(c.result), c.text) << "result " << c.result;
    }
}

// Exception codes without a sentence (9, 12-255), results between the control's own
// codes, and modem results (reported separately, never as Result) all fall through to
// the catch-all, with the value in lower-case hexadecimal as printf's "%x" writes it.
TEST(ResultString, OtherValuesNameTheValueInLowerCaseHex) {
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {9, "0x9"},        {12, "0xc"},       {255, "0xff"},
        {257, "0x101"},    {512, "0x200"},    {0x1234, "0x1234"},
        {40960, "0xa000"}, {65535, "0xffff"}, {-1, "0xffffffff"},
    };
    for (const auto& [result, hex] : cases) {
        EXPECT_EQ(ResultString(result), "ActiveX error " + hex +
                                            ": unrecognized error. Consult Pellacor Technical "
                                            "Support (555) 014-2236.")
            << "result " << result;
    }
}

} // namespace
} // namespace tavrin
