// The x86 check against Dbghelp's own reading of the same images.
#include "jre/jvm_library.h"
#include "platform/text.h"
#include "platform/win32_handles.h"
#include "support/image_bytes.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <dbghelp.h>

namespace launcher {
namespace {

using testing::TestFolder;
using testing::toU16;

struct ModuleTraits {
    using Type = HMODULE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type module) noexcept { FreeLibrary(module); }
};

// What Dbghelp's ImageNtHeader says about a valid image: the reference the
// header reader replaces. Empty when the routine finds no NT headers.
std::optional<bool> dbghelpSaysX86(const std::u16string& path) {
    platform::UniqueFileHandle file(CreateFileW(platform::wide(path.c_str()), GENERIC_READ,
                                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
    if (!file) {
        return std::nullopt;
    }
    platform::UniqueKernelHandle mapping(
        CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    platform::UniqueMappedView view(mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0)
                                            : nullptr);
    platform::UniqueHandle<ModuleTraits> dbghelp(LoadLibraryW(L"dbghelp.dll"));
    if (!view || !dbghelp) {
        return std::nullopt;
    }
    using ImageNtHeaderFunction = PIMAGE_NT_HEADERS(WINAPI*)(PVOID);
    auto imageNtHeader = reinterpret_cast<ImageNtHeaderFunction>(
        reinterpret_cast<void*>(GetProcAddress(dbghelp.get(), "ImageNtHeader")));
    std::optional<bool> x86;
    if (imageNtHeader != nullptr) {
        PIMAGE_NT_HEADERS headers = imageNtHeader(const_cast<void*>(view.get()));
        if (headers != nullptr) {
            x86 = headers->Signature == IMAGE_NT_SIGNATURE &&
                  headers->FileHeader.Machine == IMAGE_FILE_MACHINE_I386;
        }
    }
    return x86;
}

TEST(X86Library, SameAnswerAsImageNtHeaderForValidImages) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::u16string images[] = {
        LAUNCHER_TEST_PE_IMAGE_X86,
        LAUNCHER_TEST_PE_IMAGE_X64,
        LAUNCHER_TEST_JNI_COMPLETE,
        reinterpret_cast<const char16_t*>(self),
    };
    for (const std::u16string& image : images) {
        std::optional<bool> reference = dbghelpSaysX86(image);
        ASSERT_TRUE(reference.has_value()) << platform::wideToNarrow(image);
        EXPECT_EQ(isX86Library(WideString(image)), *reference) << platform::wideToNarrow(image);
    }
}

// Another program holding the file without sharing it keeps the check from reading.
TEST(X86Library, FileLockedByAnotherOpenGivesFalse) {
    TestFolder folder;
    std::u16string path = toU16(folder.write("jvm.dll", testing::peImage(testing::kPeMachineX86)));
    ASSERT_TRUE(isX86Library(WideString(path)));

    platform::UniqueFileHandle exclusive(CreateFileW(platform::wide(path.c_str()), GENERIC_READ, 0,
                                                     nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(exclusive);
    EXPECT_FALSE(isX86Library(WideString(path)));
}

// Only PE images are libraries here: a 32-bit ELF file is not read as one.
TEST(X86Library, ElfFileIsNoWindowsImage) {
    TestFolder folder;
    std::string elf = testing::elfHeader(1, testing::kElfMachineX86);
    EXPECT_FALSE(isX86Library(WideString(toU16(folder.write("libjvm.so", elf)))));
}

} // namespace
} // namespace launcher
