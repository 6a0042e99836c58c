#include "engine/SessionPort.h"

namespace tavrin {

bool SessionPort::ensurePortOpen(const PortSetup& setup) {
    const PortSettings where{setup.adapterPrefix, setup.adapter, setup.commSettings};
    return m_session.ensurePortOpen(where,
                                    PortRequestFlags{setup.reopenPort, setup.reapplySettings});
}

std::uint16_t SessionPort::runTransaction(const TransactionRequest& request, DataArea& data,
                                          std::int16_t& memQty, const StopSignal& stop) {
    Transaction transaction;
    transaction.request.function = request.function;
    transaction.request.nodeAddress = request.nodeAddress;
    transaction.request.memStart = request.memStart;
    transaction.request.memQty = request.memQty;
    transaction.request.addressType = request.addressType;
    transaction.request.dataMode = request.dataMode;
    transaction.timeoutTrans = request.timeoutTrans;
    transaction.frames = request.frames;
    return m_session.runTransaction(transaction, data, memQty, stop.fd());
}

} // namespace tavrin
