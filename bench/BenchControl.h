// A control as the operator program uses one, for the benchmarks: set up to read a cell's
// measured value (30001, function 4, two registers), refreshed by AsyncRefresh and waited
// for on the host thread, sleeping on the notification descriptor and pumping.
#ifndef TAVRIN_BENCH_BENCHCONTROL_H
#define TAVRIN_BENCH_BENCHCONTROL_H

#include "ctrl/CTAVRINCtrl.h"

#include <memory>
#include <string>

namespace tavrin::bench {

class BenchControl final : private automation::EventSink {
public:
    BenchControl(const std::string& prefix, int number, const std::string& settings,
                 const std::string& node = "1");
    ~BenchControl();
    BenchControl(const BenchControl&) = delete;
    BenchControl& operator=(const BenchControl&) = delete;

    // AsyncRefresh, then sleeps on the notification descriptor and pumps until Complete;
    // true when it completed with Result 0.
    bool refresh();

    // AsyncRefresh alone (false when refused); the Complete comes through the thread's queue,
    // which whoever drives several controls at once pumps (waitAndPump).
    bool start();
    bool completed() const { return m_completed; }
    bool succeeded() const { return m_completed && m_result == 0; }
    // Sleeps until a notification is posted to this thread's queue, then delivers it.
    static void waitAndPump();

private:
    void onEvent(automation::DispId id, std::span<const automation::Variant> args) override;

    std::shared_ptr<NotifyQueue> m_queue;
    std::unique_ptr<CTAVRINCtrl> m_control;
    bool m_completed = false;
    int m_result = -1;
};

} // namespace tavrin::bench

#endif
