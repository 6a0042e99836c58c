// Replies: when they are whole, the verdict on them, and what lands in the data area.
#include "CodecTestSupport.h"
#include "frame/AsciiFrame.h"
#include "frame/ParseReply.h"
#include "frame/Reception.h"
#include "frame/ReplyResult.h"
#include "frame/RtuFrame.h"
#include "tavrin/TavrinEnums.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace tavrin::frame::test {
namespace {

struct Outcome {
    int result = -1;
    std::optional<std::size_t> completeAfter; // bytes taken when the reply became whole
    DataBytes area{};
    std::int16_t memQty = 0;
};

// One transaction as the engine runs it: build, send (not here), reset the frame, take the
// reply byte by byte, conclude on completion or, once the bytes run out, on the timeout.
Outcome transact(const TransactionProperties& p, const Bytes& reply,
                 const DataBytes& area = sampleArea()) {
    Outcome out;
    out.area = area;
    out.memQty = p.memQty;
    CodecState state;
    Request request = buildRequest(p, out.area, state);
    if (!request.frame) {
        ADD_FAILURE() << "request refused with " << request.result;
        return out;
    }
    out.memQty = request.memQty.value_or(p.memQty);
    ModbusFrame& frame = *request.frame;
    frame.Reset();
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (acceptByte(frame, reply[i])) {
            out.completeAfter = i + 1;
            out.result = concludeReply(request.reply, frame, out.area, out.memQty);
            return out;
        }
    }
    out.result = concludeTimeout(request.reply, frame, out.area, out.memQty);
    return out;
}

DataBytes areaOf(std::initializer_list<std::uint8_t> leading) {
    DataBytes area{};
    std::copy(leading.begin(), leading.end(), area.begin());
    return area;
}

struct PeerReply {
    const char* name;
    TransactionProperties request;
    const char* rtu;
    const char* ascii;
    int result;
    DataBytes area;
};

// Replies built by pymodbus's response classes and framers (peers/codec_vectors.py), and the
// file-record example of the Modbus application protocol; areas worked out by hand.
const PeerReply kPeerReplies[] = {
    {"holding", props(3, "40001", 2), "01 03 04 12 34 56 78 81 07", ":01030412345678E4\r\n",
     RES_AX_SUCCESS, areaOf({0x34, 0x12, 0x78, 0x56})},
    {"coils", props(1, "1", 11), "01 01 02 0D 05 7D 6F", ":0101020D05EA\r\n", RES_AX_SUCCESS,
     areaOf({0x0D, 0x05})},
    {"exception", props(3, "40001", 2), "01 83 02 C0 F1", ":0183027A\r\n",
     RES_MB_ILLEGAL_DATA_ADDRESS, sampleArea()},
    {"status", props(7, "0"), "01 07 6D E3 DD", ":01076D8B\r\n", RES_AX_SUCCESS, areaOf({0x6D})},
    {"write echo", props(16, "40002", 3), "01 10 00 01 00 03 D1 C8", ":011000010003EB\r\n",
     RES_AX_SUCCESS, DataBytes{}},
    {"read/write", props(23, "40001,3,40010,1"), "01 17 06 01 02 03 04 05 06 9B 4C",
     ":011706010203040506CD\r\n", RES_AX_SUCCESS, areaOf({0x02, 0x01, 0x04, 0x03, 0x06, 0x05})},
    {"slave id", props(17, "0"), "01 11 04 44 4C 43 FF 5D 16", ":011104444C43FF18\r\n",
     RES_AX_SUCCESS, areaOf({0x04, 0x00, 0x44, 0x4C, 0x43, 0xFF})},
    {"file record", props(20, "6,4,1,2,6,3,9,2"),
     "01 14 0C 05 06 0D FE 00 20 05 06 33 CD 00 40 79 A1", ":01140C05060DFE0020050633CD00405E\r\n",
     RES_AX_SUCCESS, areaOf({0xFE, 0x0D, 0x20, 0x00, 0xCD, 0x33, 0x40, 0x00})},
};

TEST(CodecReply, RepliesOfAnIndependentPeerParseInBothFramings) {
    for (const PeerReply& c : kPeerReplies) {
        for (std::int16_t mode : kFramings) {
            SCOPED_TRACE(std::string(c.name) + (mode == DATA_MODE_MB_RTU ? " rtu" : " ascii"));
            TransactionProperties p = c.request;
            p.dataMode = mode;
            const Bytes reply = mode == DATA_MODE_MB_RTU ? hexBytes(c.rtu) : textBytes(c.ascii);
            const Outcome out = transact(p, reply);
            EXPECT_EQ(out.completeAfter, reply.size());
            EXPECT_EQ(out.result, c.result);
            EXPECT_EQ(out.area, c.area);
        }
    }
}

struct ReplyCase {
    const char* name;
    TransactionProperties request;
    Bytes reply;
    std::optional<std::size_t> completeAfter; // empty: the reply ends at the timeout
    int result;
};

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Completion and verdicts for whole and broken replies. CRCs and LRCs computed with
// pymodbus.utilities; broken replies are good ones with one thing changed.
const ReplyCase kReplies[] = {
    // RTU
    {"exception", props(3, "40001", 2), hexBytes("01 83 02 C0 F1"), 5, RES_MB_ILLEGAL_DATA_ADDRESS},
    {"exception code 0 is no success", props(3, "40001", 2), hexBytes("01 83 00 41 30"), 5,
     RES_AX_BAD_RESPONSE_FRAMING},
    {"other node, right CRC", props(3, "40001", 2), hexBytes("02 03 04 12 34 56 78 B2 07"), 9,
     RES_AX_SUCCESS},
    {"wrong CRC", props(3, "40001", 2), hexBytes("01 03 04 12 34 56 78 81 08"), 9,
     RES_AX_BAD_CHECKSUM},
    {"byte count differs", props(3, "40001", 3), hexBytes("01 03 04 12 34 56 78 81 07"), 9,
     RES_AX_BAD_RESPONSE_BYTE_COUNT},
    {"byte count differs, Enron", props(3, "40001", 3, 3), hexBytes("01 03 04 12 34 56 78 81 07"),
     9, RES_AX_SUCCESS},
    {"cut short", props(3, "40001", 2), hexBytes("01 03 04 12 34 56"), {}, RES_AX_COMM_TIMEOUT},
    {"nothing", props(3, "40001", 2), Bytes{}, {}, RES_AX_COMM_TIMEOUT},
    {"trailing bytes ignored", props(6, "40002"), hexBytes("01 06 00 01 12 34 D5 7D 00 00"), 8,
     RES_AX_SUCCESS},
    {"Enron 32-bit write echo", props(6, "5000", 1, 3), hexBytes("01 06 13 88 12 34 56 78 7E 4F"),
     10, RES_AX_SUCCESS},
    {"diagnostic echo", props(8, "0"), hexBytes("01 08 00 00 12 34 ED 7C"), 8, RES_AX_SUCCESS},
    {"mask write echo", props(22, "40005"), hexBytes("01 16 00 04 12 34 56 78 7C F2"), 10,
     RES_AX_SUCCESS},
    {"device id, two objects", props(4314, "1,0"),
     hexBytes("01 2B 0E 01 01 00 00 02 00 03 41 42 43 01 02 58 59 52 BB"), 19, RES_AX_SUCCESS},
    {"scattered read", props(100, "40001,40002"), hexBytes("01 64 06 04 00 00 0A 00 0B 06 FA"), 11,
     RES_AX_SUCCESS},
    {"scattered write", props(10005, "40001"), hexBytes("01 64 0A 05 01 02 E3 8A"), 8,
     RES_AX_SUCCESS},
    {"unknown code",
     props(3, "40001", 2),
     hexBytes("01 41 44 4C 43 38 D8"),
     {},
     RES_AX_COMM_TIMEOUT},
    {"private id ends at the timeout",
     props(65, "0"),
     hexBytes("01 41 44 4C 43 38 D8"),
     {},
     RES_AX_SUCCESS},
    {"private id, wrong CRC",
     props(65, "0"),
     hexBytes("01 41 44 4C 43 38 D9"),
     {},
     RES_AX_BAD_CHECKSUM},
    {"private id, too short", props(65, "0"), hexBytes("01 41 44"), {}, RES_AX_COMM_TIMEOUT},
    {"custom, length by byte count", props(255, "1,3", 0), hexBytes("01 03 02 12 34 B5 33"), 7,
     RES_AX_SUCCESS},
    {"custom, length by MemQty", props(255, "1,11", 3), hexBytes("01 11 22 33 44 A8 35"), 7,
     RES_AX_SUCCESS},
    {"custom, open length",
     props(255, "1,11", -1),
     hexBytes("01 11 22 33 44 A8 35"),
     {},
     RES_AX_SUCCESS},
    // ASCII
    {"ascii lower-case hex", props(3, "40001", 2, 0, 1), textBytes(":01030412345678e4\r\n"), 19,
     RES_AX_SUCCESS},
    {"ascii noise before ':'", props(3, "40001", 2, 0, 1),
     textBytes("\r\n~zz") + textBytes(":01030412345678E4\r\n"), 24, RES_AX_SUCCESS},
    {"ascii wrong LRC", props(3, "40001", 2, 0, 1), textBytes(":01030412345678E5\r\n"), 19,
     RES_AX_BAD_CHECKSUM},
    {"ascii non-hex, LRC off", props(3, "40001", 2, 0, 1), textBytes(":0103041234567GE4\r\n"), 19,
     RES_AX_BAD_CHECKSUM},
    {"ascii non-hex, LRC balanced", props(3, "40001", 2, 0, 1), textBytes(":0103041234567G5D\r\n"),
     19, RES_AX_BAD_RESPONSE_FRAMING},
    {"ascii LF without CR", props(3, "40001", 2, 0, 1), textBytes(":01030412345678E4\n\n"), 19,
     RES_AX_BAD_RESPONSE_FRAMING},
    {"ascii byte count differs", props(3, "40001", 3, 0, 1), textBytes(":01030412345678E4\r\n"), 19,
     RES_AX_BAD_RESPONSE_BYTE_COUNT},
    {"ascii exception", props(3, "40001", 2, 0, 1), textBytes(":0183027A\r\n"), 11,
     RES_MB_ILLEGAL_DATA_ADDRESS},
    {"ascii device id never whole",
     props(4314, "1,0", 1, 0, 1),
     textBytes(":012B0E010100000200034142430102585945\r\n"),
     {},
     RES_AX_COMM_TIMEOUT},
    {"ascii private id at the timeout",
     props(65, "0", 1, 0, 1),
     textBytes(":01414D4C43E2\r\n"),
     {},
     RES_AX_SUCCESS},
    {"ascii cut short",
     props(3, "40001", 2, 0, 1),
     textBytes(":0103041234"),
     {},
     RES_AX_COMM_TIMEOUT},
};

TEST(CodecReply, CompletionAndVerdicts) {
    for (const ReplyCase& c : kReplies) {
        SCOPED_TRACE(c.name);
        const Outcome out = transact(c.request, c.reply);
        EXPECT_EQ(out.completeAfter, c.completeAfter);
        EXPECT_EQ(out.result, c.result);
        if (c.result != RES_AX_SUCCESS) {
            EXPECT_EQ(out.area, sampleArea()) << "a failed reply must leave the area alone";
        }
    }
}

TEST(CodecReply, ReceptionStartsOverPastTheBufferSize) {
    for (std::int16_t mode : kFramings) {
        // 600 bytes of a reply that never ends, then a whole one
        Bytes noise = mode == DATA_MODE_MB_RTU ? hexBytes("01 41") : textBytes(":0141");
        noise.resize(ModbusFrame::kCapacity, mode == DATA_MODE_MB_RTU ? 0x55 : '5');
        const Bytes good = mode == DATA_MODE_MB_RTU ? hexBytes("01 03 04 12 34 56 78 81 07")
                                                    : textBytes(":01030412345678E4\r\n");
        const Outcome out = transact(props(3, "40001", 2, 0, mode), noise + good);
        EXPECT_EQ(out.completeAfter, noise.size() + good.size()) << mode;
        EXPECT_EQ(out.result, RES_AX_SUCCESS);
        EXPECT_EQ(wordAt(out.area, 1), 0x5678);
    }
}

TEST(CodecReply, TimeoutKeepsTheBufferBounded) {
    // Far more than the buffer holds, none of it ever whole: the frame must stay in bounds.
    Bytes noise(5000, 0x41);
    const Outcome out = transact(props(3, "40001", 2), hexBytes("01 41") + noise);
    EXPECT_EQ(out.result, RES_AX_COMM_TIMEOUT);
}

// ParseReply on its own: the reply's data and what lands where. Frames carry a dummy
// checksum, since ParseReply trusts Validate.
struct ParseCase {
    const char* name;
    ReplyContext request;
    const char* reply; // RTU message bytes without the checksum
    bool custom;
    std::int16_t memQtyBefore;
    std::int16_t memQtyAfter;
    DataBytes area;
};

const ParseCase kParses[] = {
    {"coils beyond the count stay 0", {1, 0, 3, 0}, "01 01 01 FF", false, 3, 3, areaOf({0x07})},
    {"inputs, count beyond the payload",
     {2, 0, 40, 0},
     "01 02 02 81 80",
     false,
     40,
     40,
     areaOf({0x81, 0x80})},
    {"exception status", {7, 0, 8, 0}, "01 07 A5", false, 1, 1, areaOf({0xA5})},
    {"registers",
     {3, 0, 2, 0},
     "01 03 04 12 34 56 78",
     false,
     2,
     2,
     areaOf({0x34, 0x12, 0x78, 0x56})},
    {"registers, count beyond the payload",
     {4, 0, 200, 0},
     "01 04 02 AB CD",
     false,
     200,
     200,
     areaOf({0xCD, 0xAB})},
    {"Enron 20-byte records at 32",
     {3, 32, 1, 3},
     "01 03 28 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 "
     "15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 22 23 24 25 26 27 28",
     false,
     1,
     2,
     areaOf({0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07, 0x0A, 0x09, 0x0C, 0x0B, 0x0E, 0x0D,
             0x10, 0x0F, 0x12, 0x11, 0x14, 0x13, 0x16, 0x15, 0x18, 0x17, 0x1A, 0x19, 0x1C, 0x1B,
             0x1E, 0x1D, 0x20, 0x1F, 0x22, 0x21, 0x24, 0x23, 0x26, 0x25, 0x28, 0x27})},
    {"Enron 4-byte records at 700",
     {3, 700, 1, 3},
     "01 03 08 11 22 33 44 55 66 77 88",
     false,
     1,
     2,
     areaOf({0x22, 0x11, 0x44, 0x33, 0x66, 0x55, 0x88, 0x77})},
    {"Enron elsewhere keeps MemQty",
     {4, 7000, 9, 3},
     "01 04 03 11 22 33",
     false,
     9,
     9,
     areaOf({0x22, 0x11, 0x00, 0x33})},
    {"diagnostic echo", {8, 0, 1, 0}, "01 08 00 02 12 34", false, 1, 1, areaOf({0x00, 0x02})},
    {"slave id",
     {17, 0, 1, 0},
     "01 11 03 0A FF 42",
     false,
     1,
     1,
     areaOf({0x03, 0x00, 0x0A, 0xFF, 0x42})},
    {"file records stop at MemQty",
     {20, 0, 1, 0},
     "01 14 0C 05 06 0D FE 00 20 05 06 33 CD 00 40",
     false,
     1,
     1,
     areaOf({0xFE, 0x0D, 0x20, 0x00})},
    {"file record of length 0",
     {20, 0, 2, 0},
     "01 14 05 00 03 06 12 34",
     false,
     2,
     2,
     areaOf({0x34, 0x12})},
    {"read/write", {23, 0, 1, 0}, "01 17 04 01 02 03 04", false, 1, 1, areaOf({0x02, 0x01})},
    {"device id",
     {43, 0, 1, 0},
     "01 2B 0E 01 01 00 00 01 00 01 41",
     false,
     1,
     9,
     areaOf({0x0E, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x41})},
    {"private id", {65, 0, 1, 0}, "01 41 44 4C 43", false, 1, 3, areaOf({0x44, 0x4C})},
    {"scattered read",
     {100, 0, 2, 0},
     "01 64 06 04 07 00 0A 00 0B",
     false,
     1,
     2,
     areaOf({0x0A, 0x00, 0x0B, 0x00})},
    {"scattered write", {100, 0, 1, 0}, "01 64 0A 05 01 02", false, 1, 2, DataBytes{}},
    {"custom sets MemQty when below 1",
     {255, 0, 0, 0},
     "01 03 02 12 34",
     true,
     0,
     3,
     areaOf({0x02, 0x12, 0x34})},
    {"custom keeps a set MemQty",
     {255, 0, 5, 0},
     "01 03 02 12 34",
     true,
     5,
     5,
     areaOf({0x02, 0x12, 0x34})},
    {"write clears the area", {16, 0, 3, 0}, "01 10 00 01 00 03", false, 3, 3, DataBytes{}},
    {"coil write clears the area", {5, 0, 1, 0}, "01 05 00 01 FF 00", false, 1, 1, DataBytes{}},
};

TEST(CodecParse, EachCodeFillsTheAreaFromACleanSlate) {
    for (const ParseCase& c : kParses) {
        SCOPED_TRACE(c.name);
        RtuFrame reply;
        reply.setCustomFunction(c.custom);
        for (std::uint8_t b : hexBytes(c.reply) + Bytes{0, 0}) {
            reply.append(b);
        }
        DataBytes area;
        area.fill(0xAA);
        std::int16_t memQty = c.memQtyBefore;
        ParseReply(c.request, reply, area, memQty);
        EXPECT_EQ(area, c.area);
        EXPECT_EQ(memQty, c.memQtyAfter);
    }
}

TEST(CodecParse, NothingLandsBeyondTheArea) {
    // 255 payload bytes of a slave id reply go to bytes 2..; the last ones do not fit.
    Bytes reply = hexBytes("01 11 FF");
    for (int i = 0; i < 255; ++i) {
        reply.push_back(static_cast<std::uint8_t>(i));
    }
    RtuFrame frame;
    for (std::uint8_t b : reply + Bytes{0, 0}) {
        frame.append(b);
    }
    DataBytes area{};
    std::int16_t memQty = 1;
    ParseReply({17, 0, 1, 0}, frame, area, memQty);
    EXPECT_EQ(wordAt(area, 0), 255);
    EXPECT_EQ(area[2], 0);
    EXPECT_EQ(area[255], 253);

    // 200 registers asked, 127 sent: the area takes 127 and the rest stays 0.
    Bytes regs = hexBytes("01 03 FE");
    regs.resize(regs.size() + 254, 0x11);
    RtuFrame regFrame;
    for (std::uint8_t b : regs + Bytes{0, 0}) {
        regFrame.append(b);
    }
    ParseReply({3, 0, 200, 0}, regFrame, area, memQty);
    EXPECT_EQ(wordAt(area, 126), 0x1111);
    EXPECT_EQ(wordAt(area, 127), 0);
}

TEST(CodecFrame, AsciiDecodesNonHexAsInvalid) {
    AsciiFrame frame;
    frame.Reset();
    for (std::uint8_t c : textBytes(":01G3zz\r\n")) {
        frame.append(c);
    }
    EXPECT_EQ(frame.GetAddress(), 0x01);
    EXPECT_EQ(frame.GetFunction(), 0xFF);
    EXPECT_EQ(frame.GetExceptionCode(), 0xFF);
}

TEST(CodecFrame, NewAsciiFrameHoldsTheColonAndResetEmptiesIt) {
    AsciiFrame frame;
    EXPECT_EQ(frameBytes(frame), textBytes(":"));
    frame.Reset();
    EXPECT_EQ(frame.length(), 0U);
    EXPECT_EQ(frame.state(), 0);
    RtuFrame rtu;
    EXPECT_EQ(rtu.length(), 0U);
}

TEST(CodecFrame, AppendingStopsAtTheBufferSize) {
    RtuFrame frame;
    for (std::size_t i = 0; i < ModbusFrame::kCapacity + 10; ++i) {
        frame.AddByte(0x11);
    }
    EXPECT_EQ(frame.length(), ModbusFrame::kCapacity);
    EXPECT_TRUE(frame.overflowed());
}

} // namespace
} // namespace tavrin::frame::test
