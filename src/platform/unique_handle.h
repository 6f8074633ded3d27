// A scope-bound owner of one OS handle, released on every path.
#pragma once

#include <utility>

namespace launcher::platform {

// Traits name the handle type, its invalid value and how to release it:
//   using Type = ...; static Type invalid() noexcept; static void close(Type) noexcept;
template <class Traits> class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return handle_; }
    bool valid() const noexcept { return handle_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // For an API that writes the handle through a pointer: the old handle is
    // released and the API writes straight into the owner, so the new handle is
    // never held raw.
    Type* put() noexcept {
        reset();
        return &handle_;
    }

    Type release() noexcept { return std::exchange(handle_, Traits::invalid()); }
    void reset(Type handle = Traits::invalid()) noexcept {
        Type old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

  private:
    Type handle_ = Traits::invalid();
};

} // namespace launcher::platform
