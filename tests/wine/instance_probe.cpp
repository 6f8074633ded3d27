// Makes the single-instance block of an executable look like a primary in its
// teardown, for the tests under Wine: a complete header whose message thread has
// already ended, held by a process that still runs for a while.
//   instance_probe EXECUTABLE MILLISECONDS READY_FILE
// EXECUTABLE is the launcher's path as it sees it; READY_FILE is made once the
// block is there, and the probe ends MILLISECONDS later.
#include "platform/win32_handles.h"
#include "service/instance_block.h"

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

DWORD WINAPI endAtOnce(LPVOID) {
    return 0;
}

// The id of a thread that ran and has ended: a message thread that has quit.
DWORD endedThreadId() {
    DWORD id = 0;
    launcher::platform::UniqueKernelHandle thread(
        CreateThread(nullptr, 0, endAtOnce, nullptr, 0, &id));
    WaitForSingleObject(thread.get(), INFINITE);
    return id;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: instance_probe EXECUTABLE MILLISECONDS READY_FILE\n", stderr);
        return 2;
    }
    std::wstring name = argv[1];
    for (wchar_t& unit : name) {
        unit = unit == L'\\' ? L'_' : unit;
    }
    launcher::platform::UniqueKernelHandle mapping(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                           static_cast<DWORD>(launcher::kInstanceBlockSize), name.c_str()));
    if (!mapping || GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fputs("instance_probe: the block exists already or cannot be made\n", stderr);
        return 3;
    }
    void* address = MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0);
    launcher::platform::UniqueMappedView view(address);
    if (address == nullptr) {
        return 4;
    }
    auto& block = *static_cast<launcher::InstanceBlock*>(address);
    launcher::publish(block.messageThreadId, endedThreadId());
    launcher::publish(block.processId, GetCurrentProcessId());
    launcher::publish(block.messageId, RegisterWindowMessageW(name.c_str()));
    launcher::publish(block.headerComplete, launcher::kHeaderComplete);
    launcher::platform::UniqueFileHandle ready(
        CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    return 0;
}
