// Shared by the fuzz targets: a scratch file per process, and a check that
// aborts (so the fuzzer reports it) when an invariant breaks.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/messages.h"

namespace celestra::fuzz {

#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)

// A folder of this process's own, in memory where the system has such a
// folder (every save is flushed to disk, which a disk makes slow).
inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const auto path = base / ("celestra-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string() + "/";
    }();
    return folder;
}

// Counts what the run shows and keeps the last text.
class CountingMessageBox final : public MessageBox {
public:
    void Show(const std::string& text) override {
        ++count;
        last = text;
    }
    int count = 0;
    std::string last;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The fuzzer's input as bytes, written to a scratch file of that name.
inline std::string InputAsFile(const std::uint8_t* data, std::size_t size, const std::string& name, std::string& path) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    path = ScratchFolder() + name;
    WriteFile(path, bytes);
    return bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace celestra::fuzz
