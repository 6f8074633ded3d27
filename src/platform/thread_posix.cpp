// Threads on Linux: pthreads with a chosen stack size.
#include "platform/thread.h"

#include <climits>
#include <cstdint>
#include <pthread.h>
#include <unistd.h>

namespace launcher::platform {

namespace {

struct StartRecord {
    ThreadRoutine routine;
    void* parameter;
    uint32_t result = 0;
};

void* threadEntry(void* record) {
    auto* start = static_cast<StartRecord*>(record);
    start->result = start->routine(start->parameter);
    return nullptr;
}

// Like CreateThread, round a requested stack up to whole pages and to the
// system's minimum instead of refusing it.
size_t usableStackSize(size_t requested) {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t minimum = static_cast<size_t>(PTHREAD_STACK_MIN);
    size_t size = requested < minimum ? minimum : requested;
    return (size + page - 1) / page * page;
}

class PosixThread final : public Thread {
  public:
    PosixThread(pthread_t thread, std::unique_ptr<StartRecord> record)
        : thread_(thread), record_(std::move(record)) {}
    ~PosixThread() override {
        if (!joined_) {
            pthread_detach(thread_);
            record_.release(); // the running thread still writes its result there
        }
    }
    uint32_t join() override {
        if (!joined_) {
            pthread_join(thread_, nullptr);
            joined_ = true;
        }
        return record_->result;
    }

  private:
    pthread_t thread_;
    std::unique_ptr<StartRecord> record_;
    bool joined_ = false;
};

} // namespace

std::unique_ptr<Thread> Thread::start(size_t stackSize, ThreadRoutine routine, void* parameter) {
    auto record = std::make_unique<StartRecord>(StartRecord{routine, parameter});
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return nullptr;
    }
    if (stackSize != 0) {
        pthread_attr_setstacksize(&attributes, usableStackSize(stackSize));
    }
    pthread_t thread;
    int failed = pthread_create(&thread, &attributes, threadEntry, record.get());
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        return nullptr;
    }
    return std::make_unique<PosixThread>(thread, std::move(record));
}

void sleepForever() {
    pause();
}

} // namespace launcher::platform
