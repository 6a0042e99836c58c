#include "engine/RunTransaction.h"

#include "engine/FrameWatch.h"
#include "engine/StopSignal.h"
#include "frame/Reception.h"
#include "frame/ReplyResult.h"
#include "tavrin/TavrinEnums.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>

namespace tavrin {
namespace {

using Clock = CommPort::Clock;

// A whole reply in one read where the driver has it; the codec still takes it byte by byte.
constexpr std::size_t kReadChunk = 256;

std::uint16_t asResult(int value) {
    return static_cast<std::uint16_t>(value);
}

TransactionOutcome lost() {
    // The port went away under the transaction: what a port that cannot be opened reports.
    return {RES_AX_COMM_OPEN, true};
}

TransactionOutcome writeFailed(CommPort& port) {
    // Whatever part of the frame is still queued must not reach the line after the next one.
    port.purge(PurgeKind::Transmit);
    return {RES_AX_COMM_WRITE, false};
}

// Reads and drops `count` bytes, or fewer when the deadline passes, the stop is raised or the
// port fails (the next transaction finds out about the port).
void dropEcho(CommPort& port, std::size_t count, Clock::time_point deadline, int stopFd) {
    std::array<std::byte, kReadChunk> buffer{};
    while (count > 0) {
        const IoResult got = port.readSome(std::span(buffer).first(std::min(count, buffer.size())),
                                           deadline, stopFd);
        count -= got.bytes;
        if (got.status != IoStatus::Ok &&
            (got.status != IoStatus::TimedOut || Clock::now() >= deadline)) {
            return;
        }
    }
}

// The exchange itself; `request` has been built and is not refused.
TransactionOutcome exchange(CommPort& port, const Transaction& transaction, frame::Request& request,
                            DataArea& data, std::int16_t& memQty, int stopFd, FrameWatch& watch);

} // namespace

TransactionOutcome RunTransaction(CommPort& port, const Transaction& transaction,
                                  frame::CodecState& codec, DataArea& data, std::int16_t& memQty,
                                  int stopFd) {
    // A port without modem lines (a pseudo-terminal, a two-wire adapter) refuses this, and a
    // dead one fails the write: no reason to give up here.
    port.setModemLine(ModemLine::Dtr, true);
    // No transmit purge before the frame: the previous frame on the shared device, a
    // broadcast that needs no reply above all, may still be leaving, and a purge would cut
    // it. A failed write purges what it left itself.

    frame::Request request = frame::buildRequest(transaction.request, data.bytes(), codec);
    if (request.result != RES_AX_SUCCESS || !request.frame) {
        return {asResult(request.result), false};
    }
    if (request.memQty) {
        memQty = *request.memQty;
    }
    FrameWatch watch(transaction.frames, port.portName(), request.node, request.reply.functionCode,
                     request.frame->framing() == frame::Framing::Ascii);
    const TransactionOutcome outcome =
        exchange(port, transaction, request, data, memQty, stopFd, watch);
    watch.finish(outcome.result);
    return outcome;
}

namespace {

TransactionOutcome exchange(CommPort& port, const Transaction& transaction, frame::Request& request,
                            DataArea& data, std::int16_t& memQty, int stopFd, FrameWatch& watch) {
    frame::ModbusFrame& frame = *request.frame;
    const std::chrono::milliseconds timeout(transaction.timeoutTrans);

    // Silence first, then the receive purge: whatever a late slave sent while we waited is
    // dropped instead of being taken for the start of this reply.
    port.waitForLineSilence();
    if (isSignalled(stopFd)) {
        return {RES_AX_TERMINATION_REQUESTED, false}; // nothing sent: nothing left on the line
    }
    port.purge(PurgeKind::Receive);

    const auto bytes = std::as_bytes(frame.bytes());
    const IoResult written = port.writeAll(bytes, Clock::now() + timeout);
    if (written.status == IoStatus::HangUp) {
        watch.sent(bytes, RES_AX_COMM_OPEN, false);
        return lost();
    }
    if (written.status != IoStatus::Ok || written.bytes != bytes.size()) {
        watch.sent(bytes, RES_AX_COMM_WRITE, false);
        return writeFailed(port);
    }
    watch.sent(bytes, RES_AX_SUCCESS, request.node != 0);

    frame.Reset();
    // One budget for the whole reply, from the end of the write; never restarted per byte.
    const auto deadline = Clock::now() + timeout;
    // An echoing adapter hands the request back first: exactly as many bytes as were sent.
    std::size_t echo = port.echoes() ? written.bytes : 0;
    if (request.node == 0) {
        // No reply; but the echo is taken now, so that it cannot reach the next transaction.
        dropEcho(port, echo, deadline, stopFd);
        return {RES_AX_SUCCESS, false};
    }

    std::array<std::byte, kReadChunk> buffer{};
    for (;;) {
        if (isSignalled(stopFd)) {
            return {RES_AX_TERMINATION_REQUESTED, false};
        }
        const IoResult got = port.readSome(buffer, deadline, stopFd);
        const std::size_t dropped = std::min(echo, got.bytes);
        echo -= dropped;
        for (std::size_t i = dropped; i < got.bytes; ++i) {
            if (frame::acceptByte(frame, std::to_integer<std::uint8_t>(buffer[i]))) {
                watch.received(std::span(buffer).subspan(dropped, i + 1 - dropped));
                return {asResult(frame::concludeReply(request.reply, frame, data.bytes(), memQty)),
                        false};
            }
        }
        // The adapter's echo of the request is not part of the reply.
        watch.received(std::span(buffer).subspan(dropped, got.bytes - dropped));
        switch (got.status) {
        case IoStatus::Ok:
        case IoStatus::TimedOut: // the port's own bound for one read can end it first
            break;
        case IoStatus::Cancelled:
            return {RES_AX_TERMINATION_REQUESTED, false};
        case IoStatus::HangUp:
        case IoStatus::Failed:
            // A read that fails at once would fail again at once: retrying would spin until
            // the timer ran out and then blame the slave.
            return lost();
        }
        // On every pass, not only when a read finds the line empty: a slave that never falls
        // silent without ever completing a frame (noise, an ASCII line without its ':') has
        // bytes waiting at every read and would hold the transaction for as long as it sends.
        if (Clock::now() >= deadline) {
            watch.timedOut();
            return {asResult(frame::concludeTimeout(request.reply, frame, data.bytes(), memQty)),
                    false};
        }
    }
}

} // namespace

} // namespace tavrin
