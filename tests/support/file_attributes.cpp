#include "support/file_attributes.h"

#include <sys/xattr.h>

#include <cstdint>

namespace celestra::testing {

std::string AccessControlList(unsigned uid) {
    std::string bytes;
    const auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(2, 4);  // the format's version
    constexpr std::uint32_t kNoId = ~0u;
    const struct {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    } entries[] = {{0x01, 6, kNoId}, {0x02, 6, uid}, {0x04, 4, kNoId}, {0x10, 6, kNoId}, {0x20, 4, kNoId}};
    for (const auto& entry : entries) {
        put(entry.tag, 2);
        put(entry.permissions, 2);
        put(entry.id, 4);
    }
    return bytes;
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("(none)") : std::string(value, static_cast<std::size_t>(size));
}

}  // namespace celestra::testing
