// The few operating-system services the test JVM needs; one implementation per system.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace testjvm::os {

// An environment variable as UTF-8; empty optional when it is not set. On Windows the
// process environment is read, so values set with SetEnvironmentVariableW count.
std::optional<std::string> environment(const char* name);

// Appends the bytes to the file (created when missing) in one write; best effort.
void appendToFile(const std::string& path, std::string_view bytes);

// A file opened for writing, closed with its owner.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // `reason` receives the system's text when the file cannot be opened.
    static std::unique_ptr<OutputFile> open(const std::string& path, bool append,
                                            std::string& reason);
    virtual bool write(std::string_view bytes) = 0;
};

enum class StandardStream { Output, Error };
void writeStandard(StandardStream stream, std::string_view bytes);

// Java's line.separator: what println ends a line with on this system.
extern const char* const kLineSeparator;

// Size in bytes of the calling thread's stack as the system reserved it.
size_t currentThreadStackSize();

// JVM options arrive in the platform's narrow encoding: the ANSI code page on
// Windows, UTF-8 here.
std::string platformTextToUtf8(const char* text);

} // namespace testjvm::os
