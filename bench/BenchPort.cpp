#include "BenchPort.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace tavrin::bench {

BenchPorts::BenchPorts() {
    std::string pattern = "/tmp/tavrin-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    m_folder = pattern;
    ::setenv("TAVRIN_PORTS", m_folder.c_str(), 1);
    // Port prefixes are letters only: the process id spelt in letters.
    m_prefix = "BENCH";
    for (auto pid = static_cast<unsigned long>(::getpid()); pid != 0; pid /= 26) {
        m_prefix += static_cast<char>('A' + pid % 26);
    }
}

BenchPorts::~BenchPorts() {
    std::error_code ignored;
    if (std::getenv("BENCH_KEEP_LOGS") == nullptr) {
        std::filesystem::remove_all(m_folder, ignored);
    }
}

} // namespace tavrin::bench
