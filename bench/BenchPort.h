// A ports folder of its own for one benchmark run, with a port prefix no other run uses (the
// port's named objects are machine-wide).
#ifndef TAVRIN_BENCH_BENCHPORT_H
#define TAVRIN_BENCH_BENCHPORT_H

#include <string>

namespace tavrin::bench {

class BenchPorts {
public:
    BenchPorts(); // sets TAVRIN_PORTS for this process and its children
    ~BenchPorts();
    BenchPorts(const BenchPorts&) = delete;
    BenchPorts& operator=(const BenchPorts&) = delete;

    const std::string& folder() const { return m_folder; }
    const std::string& prefix() const { return m_prefix; }
    std::string name(int number) const { return m_prefix + std::to_string(number); }
    std::string path(int number) const { return m_folder + "/" + name(number); }

private:
    std::string m_folder;
    std::string m_prefix;
};

} // namespace tavrin::bench

#endif
