// Test helpers: a fresh folder per test, files written and read as bytes,
// and a clock stopped at a chosen instant.
#pragma once

#include <string>

#include "platform/clock.h"
#include "text/conventions.h"

namespace celestra::testing {

// A new empty folder, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of a name inside the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// Sets the clock in force for its lifetime.
class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime now) : now_(now) { SetClock(this); }
    ~FixedClock() override { SetClock(nullptr); }
    LocalDateTime Now() const override { return now_; }

private:
    LocalDateTime now_;
};

// Sets the text conventions in force for its lifetime.
class ScopedConventions {
public:
    explicit ScopedConventions(const TextConventions& conventions) : saved_(Conventions()) {
        SetTextConventions(conventions);
    }
    ~ScopedConventions() { SetTextConventions(saved_); }

private:
    TextConventions saved_;
};

}  // namespace celestra::testing
