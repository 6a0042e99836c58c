// Named shared-memory objects ("/NAME"), mapped read-write into this process.
#ifndef TAVRIN_PORTSHARE_SHAREDMEMORY_H
#define TAVRIN_PORTSHARE_SHAREDMEMORY_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tavrin {

// Identifies the object behind a name, to tell a removed object from a new one of the
// same name.
struct ObjectId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const ObjectId&, const ObjectId&) = default;
};

class SharedMapping {
public:
    SharedMapping() = default;
    SharedMapping(void* address, std::size_t size) : m_address(address), m_size(size) {}
    SharedMapping(SharedMapping&& other) noexcept;
    SharedMapping& operator=(SharedMapping&& other) noexcept;
    SharedMapping(const SharedMapping&) = delete;
    SharedMapping& operator=(const SharedMapping&) = delete;
    ~SharedMapping();

    bool valid() const { return m_address != nullptr; }
    std::span<std::byte> bytes() const { return {static_cast<std::byte*>(m_address), m_size}; }

private:
    void* m_address = nullptr;
    std::size_t m_size = 0;
};

struct OpenedObject {
    SharedMapping mapping;
    bool created = false; // this call created the name (O_EXCL): it initialises the object
    ObjectId id;
};

// Opens the object of that name, creating it zero-filled with `size` bytes when it does not
// exist. Nothing on failure (errno is left describing it).
std::optional<OpenedObject> openSharedObject(const std::string& name, std::size_t size);

// The object the name refers to now, if any.
std::optional<ObjectId> sharedObjectId(const std::string& name);
void unlinkSharedObject(const std::string& name);

} // namespace tavrin

#endif
