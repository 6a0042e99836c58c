// What one transaction is made of: the request as the codec builds it and the reply timer.
#ifndef TAVRIN_ENGINE_TRANSACTION_H
#define TAVRIN_ENGINE_TRANSACTION_H

#include "frame/RequestBuilder.h"

#include <cstdint>

namespace tavrin {

struct Transaction {
    frame::TransactionProperties request;
    // TimeoutTrans: milliseconds for the write, and again for the whole reply (not per byte).
    std::int16_t timeoutTrans = 150;
};

} // namespace tavrin

#endif
