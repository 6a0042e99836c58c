#include "portshare/SharedMemory.h"
#include "portshare/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrin {

SharedMapping::SharedMapping(SharedMapping&& other) noexcept
    : m_address(std::exchange(other.m_address, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

SharedMapping& SharedMapping::operator=(SharedMapping&& other) noexcept {
    if (this != &other) {
        if (m_address != nullptr) {
            ::munmap(m_address, m_size);
        }
        m_address = std::exchange(other.m_address, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

SharedMapping::~SharedMapping() {
    if (m_address != nullptr) {
        ::munmap(m_address, m_size);
    }
}

namespace {

int shmOpen(const std::string& name, int flags) {
    int fd = -1;
    do {
        fd = ::shm_open(name.c_str(), flags | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

std::optional<OpenedObject> openSharedObject(const std::string& name, std::size_t size) {
    // Only the process whose O_EXCL create succeeds learns it made the object; everybody else
    // opens it. Between the two attempts the creator may have removed it again (its last
    // sharer left), so the pair is retried a few times.
    for (int attempt = 0; attempt < 8; ++attempt) {
        bool created = true;
        UniqueFd fd(shmOpen(name, O_RDWR | O_CREAT | O_EXCL));
        if (!fd.valid() && errno == EEXIST) {
            created = false;
            fd.reset(shmOpen(name, O_RDWR));
            if (!fd.valid() && errno == ENOENT) {
                continue;
            }
        }
        if (!fd.valid()) {
            return std::nullopt;
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            return std::nullopt;
        }
        // Openers size it too: the creator may not have got that far yet, and growing to the
        // same size twice changes nothing (new bytes are zero either way).
        if (static_cast<std::size_t>(st.st_size) < size) {
            int rc = 0;
            do {
                rc = ::ftruncate(fd.get(), static_cast<off_t>(size));
            } while (rc != 0 && errno == EINTR);
            if (rc != 0) {
                return std::nullopt;
            }
        }
        void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
        if (address == MAP_FAILED) {
            return std::nullopt;
        }
        OpenedObject object;
        object.mapping = SharedMapping(address, size);
        object.created = created;
        object.id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
        return object;
    }
    errno = EAGAIN;
    return std::nullopt;
}

std::optional<ObjectId> sharedObjectId(const std::string& name) {
    UniqueFd fd(shmOpen(name, O_RDONLY));
    if (!fd.valid()) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return std::nullopt;
    }
    return ObjectId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void unlinkSharedObject(const std::string& name) {
    ::shm_unlink(name.c_str());
}

} // namespace tavrin
