// Loading the built test JVM as a launcher does (Windows).
#include "host.h"

#include "platform/win32_handles.h"
#include "support/file_bytes.h"

#include <stdexcept>

namespace testjvm::selftest {

namespace {

using launcher::platform::UniqueFileHandle;
using launcher::platform::UniqueKernelHandle;

std::wstring widen(std::string_view text, UINT codePage) {
    int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                        length);
    return out;
}

UniqueFileHandle inheritableFile(const std::filesystem::path& path) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

std::optional<Library> Library::load(const std::filesystem::path& path) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (module == nullptr) {
        return std::nullopt;
    }
    return Library(module);
}

void* Library::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

std::filesystem::path executablePath() {
    std::wstring buffer(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return buffer;
}

std::string libraryFileName() {
    return "jvm.dll";
}

void runOnThreadWithStack(size_t stackSize, const std::function<void()>& work) {
    auto routine = [](void* parameter) -> DWORD {
        (*static_cast<const std::function<void()>*>(parameter))();
        return 0;
    };
    UniqueKernelHandle thread(CreateThread(nullptr, stackSize, routine,
                                           const_cast<std::function<void()>*>(&work),
                                           STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) {
        throw std::runtime_error("CreateThread failed");
    }
    WaitForSingleObject(thread.get(), INFINITE);
}

std::string javaLineSeparator() {
    return "\r\n";
}

std::string toPlatformText(std::string_view utf8) {
    std::wstring wide = widen(utf8, CP_UTF8);
    int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                     0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length,
                        nullptr, nullptr);
    return out;
}

void writeStandardError(std::string_view bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

ChildResult runSelf(const std::vector<std::string>& arguments,
                    const std::filesystem::path& folder) {
    std::wstring program = executablePath().wstring();
    // The arguments are simple words; only the program path is quoted.
    std::wstring commandLine = L"\"" + program + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" " + widen(argument, CP_UTF8);
    }
    std::filesystem::path outPath = folder / "child-out.txt";
    std::filesystem::path errPath = folder / "child-err.txt";
    ChildResult result;
    {
        UniqueFileHandle out = inheritableFile(outPath);
        UniqueFileHandle err = inheritableFile(errPath);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = INVALID_HANDLE_VALUE;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process)) {
            throw std::runtime_error("CreateProcessW failed");
        }
        UniqueKernelHandle processHandle(process.hProcess);
        UniqueKernelHandle threadHandle(process.hThread);
        WaitForSingleObject(processHandle.get(), INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(processHandle.get(), &code);
        result.exitCode = static_cast<long>(code);
        // The C runtime's abort() ends the process with exit code 3.
        result.aborted = code == 3;
    }
    result.out = launcher::testing::readFile(outPath);
    result.err = launcher::testing::readFile(errPath);
    return result;
}

} // namespace testjvm::selftest
