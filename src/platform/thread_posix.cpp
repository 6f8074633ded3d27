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
    if (size > SIZE_MAX - page) {
        return size; // no thread gets it: the start fails and says so
    }
    return (size + page - 1) / page * page;
}

// Owns the start record from before the thread exists, so that nothing is
// allocated once the thread runs: a failure after pthread_create could otherwise
// free the record under the running thread.
class PosixThread final : public Thread {
  public:
    PosixThread(ThreadRoutine routine, void* parameter)
        : record_(std::make_unique<StartRecord>(StartRecord{routine, parameter})) {}
    ~PosixThread() override {
        if (started_ && !joined_) {
            pthread_detach(thread_);
            record_.release(); // the running thread still writes its result there
        }
    }
    bool start(const pthread_attr_t& attributes) {
        started_ = pthread_create(&thread_, &attributes, threadEntry, record_.get()) == 0;
        return started_;
    }
    uint32_t join() override {
        if (!joined_) {
            pthread_join(thread_, nullptr);
            joined_ = true;
        }
        return record_->result;
    }

  private:
    std::unique_ptr<StartRecord> record_;
    pthread_t thread_{};
    bool started_ = false;
    bool joined_ = false;
};

} // namespace

std::unique_ptr<Thread> Thread::start(size_t stackSize, ThreadRoutine routine, void* parameter) {
    auto thread = std::make_unique<PosixThread>(routine, parameter);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return nullptr;
    }
    if (stackSize != 0) {
        pthread_attr_setstacksize(&attributes, usableStackSize(stackSize));
    }
    bool started = thread->start(attributes);
    pthread_attr_destroy(&attributes);
    if (!started) {
        return nullptr;
    }
    return thread;
}

void sleepForever() {
    pause();
}

} // namespace launcher::platform
