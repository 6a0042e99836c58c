// What one transaction is made of: the request as the codec builds it and the reply timer.
#ifndef TAVRIN_ENGINE_TRANSACTIONPROPERTIES_H
#define TAVRIN_ENGINE_TRANSACTIONPROPERTIES_H

#include "frame/RequestBuilder.h"

#include <cstdint>

namespace tavrin {

struct TransactionProperties {
    frame::TransactionProperties request;
    // TimeoutTrans: milliseconds for the write, and again for the whole reply (not per byte).
    std::int16_t timeoutTrans = 150;
};

// Where the port is, as the control's AdapterPrefix, Adapter and CommSettings say.
struct PortSettings {
    std::string adapterPrefix = "COM";
    long adapter = 1;
    std::string commSettings = "9600,E,8,1";
};

} // namespace tavrin

#endif
