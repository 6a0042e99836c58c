#include "ctrl/AtomicFileEdit.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace plinth {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool editFileAtomically(const std::filesystem::path& path,
                        const std::function<std::string(const std::string&)>& edit) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        return false;
    }
    // Two processes registering at once would otherwise each drop the other's lines.
    const std::string lockPath = path.string() + ".lock";
    const Descriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.get() < 0) {
        return false;
    }
    int rc = 0;
    while ((rc = ::flock(lock.get(), LOCK_EX)) < 0 && errno == EINTR) {
    }
    if (rc < 0) {
        return false;
    }

    std::string old;
    if (std::ifstream in(path, std::ios::binary); in) {
        std::ostringstream text;
        text << in.rdbuf();
        old = text.str();
    }
    const std::string updated = edit(old);

    std::string temp = path.string() + ".XXXXXX";
    const Descriptor out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.get() < 0) {
        return false;
    }
    if (!writeAll(out.get(), updated) || ::fchmod(out.get(), 0644) < 0 || ::fsync(out.get()) < 0 ||
        ::rename(temp.c_str(), path.c_str()) < 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace plinth
