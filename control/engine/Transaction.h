// What one transaction is made of: the request as the codec builds it and the reply timer.
#ifndef TAVRIN_ENGINE_TRANSACTION_H
#define TAVRIN_ENGINE_TRANSACTION_H

#include "engine/FrameTap.h"
#include "frame/RequestBuilder.h"

#include <cstdint>

namespace tavrin {

struct Transaction {
    frame::TransactionProperties request;
    // TimeoutTrans: milliseconds for the write, and again for the whole reply (not per byte).
    std::int16_t timeoutTrans = 150;
    // Where the frames go while a host watches the line; nullptr: nowhere, at no cost.
    FrameTap* frames = nullptr;
};

} // namespace tavrin

#endif
