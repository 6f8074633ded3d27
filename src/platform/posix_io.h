// Reads, writes and socket transfers that go on after a signal interrupts them.
#pragma once

#include <cstddef>
#include <string_view>
#include <sys/types.h>

namespace launcher::platform {

// Writes every byte; false on an error or when nothing more can be written.
bool writeAll(int descriptor, std::string_view bytes);
// Up to `size` bytes; what read(2) returns, but never EINTR.
ssize_t readSome(int descriptor, void* data, size_t size);
// Sends every byte (a peer that has gone away is an error, not a signal).
bool sendAll(int socket, const void* data, size_t size);
// Receives exactly `size` bytes; false at the peer's end or on an error.
bool receiveAll(int socket, void* data, size_t size);

} // namespace launcher::platform
