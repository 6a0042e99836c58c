// The transaction's Result from the reply: what the engine calls once reception ends.
#pragma once

#include "frame/DataBytes.h"
#include "frame/ModbusFrame.h"
#include "frame/ParseReply.h"
#include "frame/Verdict.h"

#include <cstdint>

namespace tavrin::frame {

// The Result a verdict stands for (exception replies give the slave's code).
int verdictToResult(Verdict verdict, const ModbusFrame& reply);

// The reply is whole (acceptByte said so): judge it and, when good, fill the area.
int concludeReply(const ReplyContext& request, ModbusFrame& reply, DataBytes& area,
                  std::int16_t& memQty);

// The reply timer ran out first. Replies whose end cannot be recognised (code 65, custom
// requests) are judged on what arrived; everything else is a timeout.
int concludeTimeout(const ReplyContext& request, ModbusFrame& reply, DataBytes& area,
                    std::int16_t& memQty);

} // namespace tavrin::frame
