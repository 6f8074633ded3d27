// The test JVM's record of what it was handed, one line per fact.
#include "record.h"

#include "os.h"

#include <mutex>
#include <string>

namespace testjvm {

namespace {

// Never destroyed: threads may still record while the process runs its exit handlers.
std::mutex& recordMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

} // namespace

void record(std::string_view line) {
    // Read for every line, so that a host can point the record elsewhere between runs.
    auto path = os::environment("TESTJVM_RECORD");
    if (!path || path->empty()) {
        return;
    }
    std::string text(line);
    text += '\n';
    std::lock_guard lock(recordMutex());
    os::appendToFile(*path, text);
}

void record(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    record(line);
}

} // namespace testjvm
