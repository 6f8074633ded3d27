// The x86 check on Windows: the headers read through a read-only mapping.
#include "jre/image_check.h"
#include "jre/jvm_library.h"
#include "platform/win32_handles.h"

namespace launcher {

// The headers are read here rather than through Dbghelp's ImageNtHeader: that
// library would be found by the DLL search of an elevated process, so a copy
// planted beside the launcher would run with administrator rights.
bool isX86Library(const WideString& path) {
    platform::UniqueFileHandle file(CreateFileW(platform::wide(path.c_str()), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    // Sharing only for reading keeps the size fixed while the view is open.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) {
        return false; // an empty file cannot be mapped and holds no headers anyway
    }
    platform::UniqueKernelHandle mapping(
        CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) {
        return false;
    }
    platform::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) {
        return false;
    }
    return isX86PeImage(
        {static_cast<const std::byte*>(view.get()), static_cast<size_t>(size.QuadPart)});
}

} // namespace launcher
