// What the self-test needs from the system: loading a JVM library, the environment,
// threads with a chosen stack size, and running this executable as a child process.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testjvm::selftest {

// A library loaded for the rest of the process: the test JVM is never unloaded,
// just as a launcher never unloads its JVM.
class Library {
  public:
    static std::optional<Library> load(const std::filesystem::path& path);
    void* symbol(const char* name) const;

  private:
    explicit Library(void* module) : module_(module) {}
    void* module_;
};

std::filesystem::path executablePath();
// jvm.dll or libjvm.so.
std::string libraryFileName();

// Runs `work` on a new thread whose stack has the given size, and waits for it.
void runOnThreadWithStack(size_t stackSize, const std::function<void()>& work);

// Java's line.separator on this system.
std::string javaLineSeparator();

// UTF-8 text in the narrow encoding a launcher hands to the VM on this system.
std::string toPlatformText(std::string_view utf8);

// Bytes to the process's standard error as they are (no text-mode line ends).
void writeStandardError(std::string_view bytes);

struct ChildResult {
    bool aborted = false; // ended by abort(): SIGABRT here, exit code 3 on Windows
    long exitCode = -1;   // the full exit code when the child ended by itself
    std::string out;
    std::string err;
};

// Runs this executable with the arguments; its standard output and error are kept
// in files in `folder`. The child inherits this process's environment.
ChildResult runSelf(const std::vector<std::string>& arguments, const std::filesystem::path& folder);

} // namespace testjvm::selftest
