#include "frame/ReplyResult.h"

#include "tavrin/TavrinEnums.h"

namespace tavrin::frame {
namespace {

int judgeAndParse(const ReplyContext& request, ModbusFrame& reply, DataBytes& area,
                  std::int16_t& memQty, int tooShort) {
    reply.handOver();
    const Verdict verdict = reply.Validate();
    if (verdict == Verdict::BadLength) {
        return tooShort;
    }
    const int result = verdictToResult(verdict, reply);
    if (result == RES_AX_SUCCESS) {
        ParseReply(request, reply, area, memQty);
    }
    return result;
}

} // namespace

int verdictToResult(Verdict verdict, const ModbusFrame& reply) {
    switch (verdict) {
    case Verdict::Good:
        return RES_AX_SUCCESS;
    case Verdict::BadChecksum:
        return RES_AX_BAD_CHECKSUM;
    case Verdict::Exception:
        // Exception code 0 is no exception at all; passing it on would report a failed
        // transaction as a success.
        if (reply.GetExceptionCode() == 0) {
            return RES_AX_BAD_RESPONSE_FRAMING;
        }
        return reply.GetExceptionCode();
    case Verdict::BadLength:
        return RES_AX_BAD_RESPONSE_LENGTH;
    case Verdict::BadByteCount:
        return RES_AX_BAD_RESPONSE_BYTE_COUNT;
    case Verdict::BadFraming:
    default:
        return RES_AX_BAD_RESPONSE_FRAMING;
    }
}

int concludeReply(const ReplyContext& request, ModbusFrame& reply, DataBytes& area,
                  std::int16_t& memQty) {
    return judgeAndParse(request, reply, area, memQty, RES_AX_BAD_RESPONSE_LENGTH);
}

int concludeTimeout(const ReplyContext& request, ModbusFrame& reply, DataBytes& area,
                    std::int16_t& memQty) {
    if (request.functionCode != 65 && !reply.customFunction()) {
        return RES_AX_COMM_TIMEOUT;
    }
    // Too short to judge means nothing (enough) came: that is a timeout too.
    return judgeAndParse(request, reply, area, memQty, RES_AX_COMM_TIMEOUT);
}

} // namespace tavrin::frame
