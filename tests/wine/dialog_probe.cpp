// Reads and drives the launcher's JRE-not-found dialog from outside its process,
// for the tests under Wine:
//   dialog_probe tree            waits for the dialog and prints its window tree
//   dialog_probe browse FOLDER   chooses FOLDER in the folder browser, prints the edit and OK
//   dialog_probe press ID        sends the dialog the command of control ID
//   dialog_probe text ID         prints the text of control ID, line ends as \r and \n
//   dialog_probe close TITLE     waits for a visible top-level window of that title,
//                                prints its class and whether it is visible, and closes it
// With LAUNCHER_PROBE_CAPTION set, the dialog of that caption is the one used
// (the Java exception dialog) instead of the JRE-not-found dialog.
// Lines are "|"-separated; rectangles are x,y,width,height in pixels of the
// dialog's client area, then of the screen.
#include <cstdio>
#include <shlobj.h>
#include <string>
#include <windows.h>

namespace {

constexpr DWORD kDeadlineMilliseconds = 60000;

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(),
                        size, nullptr, nullptr);
    return narrow;
}

// One line of output per window, whatever its text holds.
std::string escaped(const std::string& text) {
    std::string line;
    for (char c : text) {
        line += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return line;
}

// WM_GETTEXT reaches the control itself: an edit keeps its text to itself.
std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring classOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// Polls for a window until the deadline: the dialog appears when the launcher
// has searched for runtimes, which takes as long as it takes.
template <class Find> HWND waitFor(Find find) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = find()) {
            return found;
        }
        if (GetTickCount() - start > kDeadlineMilliseconds) {
            return nullptr;
        }
        Sleep(50);
    }
}

HWND findDialog() {
    const wchar_t* asked = _wgetenv(L"LAUNCHER_PROBE_CAPTION");
    std::wstring caption = asked != nullptr && *asked != L'\0' ? asked : L"JRE Not Found";
    return waitFor([&caption] { return FindWindowW(L"#32770", caption.c_str()); });
}

// The dialog base units of a dialog in 8 point "MS Shell Dlg", from a hidden
// dialog of this process: what the launcher's template must map to.
void printBaseUnits() {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title, pointSize;
        wchar_t face[13];
    } memory = {};
    memory.header.style = DS_SETFONT | WS_POPUP;
    memory.header.cx = 100;
    memory.header.cy = 100;
    memory.pointSize = 8;
    wcscpy(memory.face, L"MS Shell Dlg");
    HWND own = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), &memory.header, nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
    RECT units = {0, 0, 4, 8};
    MapDialogRect(own, &units);
    std::printf("base|%ld|%ld\n", units.right, units.bottom);
    DestroyWindow(own);
}

void printControl(HWND dialog, HWND control) {
    RECT screen = {};
    GetWindowRect(control, &screen);
    RECT client = screen;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&client), 2);
    std::printf(
        "control|%d|%s|%s|%08lx|%ld,%ld,%ld,%ld|%ld,%ld,%ld,%ld|%d|%08lx\n", GetDlgCtrlID(control),
        utf8(classOf(control)).c_str(), escaped(utf8(textOf(control))).c_str(),
        static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)), client.left, client.top,
        client.right - client.left, client.bottom - client.top, screen.left, screen.top,
        screen.right - screen.left, screen.bottom - screen.top, IsWindowEnabled(control) ? 1 : 0,
        static_cast<unsigned long>(GetWindowLongW(control, GWL_EXSTYLE)));
}

int tree() {
    HWND dialog = findDialog();
    if (dialog == nullptr) {
        std::puts("no dialog");
        return 1;
    }
    RECT client = {};
    GetClientRect(dialog, &client);
    std::printf("dialog|%s|%08lx|%ld,%ld\n", utf8(textOf(dialog)).c_str(),
                static_cast<unsigned long>(GetWindowLongW(dialog, GWL_STYLE)), client.right,
                client.bottom);
    printBaseUnits();
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        printControl(dialog, child);
    }
    return 0;
}

struct BrowserSearch {
    HWND dialog;
    HWND browser;
};

HWND findBrowser(HWND dialog) {
    return waitFor([dialog] {
        BrowserSearch search = {dialog, nullptr};
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto* found = reinterpret_cast<BrowserSearch*>(context);
                if (window != found->dialog && GetWindow(window, GW_OWNER) == found->dialog &&
                    classOf(window) == L"#32770" && IsWindowVisible(window)) {
                    found->browser = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.browser;
    });
}

// The browser takes its selection as a path in its own process's memory.
int browse(const wchar_t* folder) {
    HWND dialog = findDialog();
    if (dialog == nullptr) {
        std::puts("no dialog");
        return 1;
    }
    std::wstring before = textOf(GetDlgItem(dialog, 201));
    PostMessageW(dialog, WM_COMMAND, 202, 0);
    HWND browser = findBrowser(dialog);
    if (browser == nullptr) {
        std::puts("no browser");
        return 1;
    }
    std::string texts;
    for (HWND child = GetWindow(browser, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (classOf(child) == L"Static") {
            texts += utf8(textOf(child)) + ";";
        }
    }
    std::printf("browser|%s\n", texts.c_str());
    DWORD processId = 0;
    GetWindowThreadProcessId(browser, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    size_t bytes = (wcslen(folder) + 1) * sizeof(wchar_t);
    void* remote = process == nullptr ? nullptr
                                      : VirtualAllocEx(process, nullptr, bytes,
                                                       MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr || !WriteProcessMemory(process, remote, folder, bytes, nullptr)) {
        std::puts("cannot reach the browser's process");
        return 1;
    }
    LRESULT selected =
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
    std::printf("selected|%ld\n", static_cast<long>(selected));
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    DWORD start = GetTickCount();
    while (IsWindow(browser) && GetTickCount() - start < kDeadlineMilliseconds) {
        Sleep(50);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    // The edit shows the choice before the folder is probed; the dialog handles
    // this message only once it has enabled or disabled OK.
    while (textOf(GetDlgItem(dialog, 201)) == before &&
           GetTickCount() - start < kDeadlineMilliseconds) {
        Sleep(20);
    }
    SendMessageW(dialog, WM_NULL, 0, 0);
    std::printf("edit|%s\n", utf8(textOf(GetDlgItem(dialog, 201))).c_str());
    std::printf("ok|%d\n", IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? 1 : 0);
    return 0;
}

int press(int id) {
    HWND dialog = findDialog();
    if (dialog == nullptr) {
        std::puts("no dialog");
        return 1;
    }
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0);
    return 0;
}

int text(int id) {
    HWND dialog = findDialog();
    if (dialog == nullptr) {
        std::puts("no dialog");
        return 1;
    }
    std::printf("text|%s\n", escaped(utf8(textOf(GetDlgItem(dialog, id)))).c_str());
    return 0;
}

int close(const std::wstring& title) {
    // A frame exists before it is shown: the window counts once it is visible.
    HWND window = waitFor([&title]() -> HWND {
        HWND found = FindWindowW(nullptr, title.c_str());
        return found != nullptr && IsWindowVisible(found) ? found : nullptr;
    });
    if (window == nullptr) {
        std::puts("no window");
        return 1;
    }
    std::printf("window|%s|%d\n", utf8(classOf(window)).c_str(), IsWindowVisible(window) ? 1 : 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"tree") {
        return tree();
    }
    if (command == L"browse" && argc > 2) {
        return browse(argv[2]);
    }
    if (command == L"press" && argc > 2) {
        return press(_wtoi(argv[2]));
    }
    if (command == L"text" && argc > 2) {
        return text(_wtoi(argv[2]));
    }
    if (command == L"close" && argc > 2) {
        return close(argv[2]);
    }
    std::fputs("usage: dialog_probe tree | browse FOLDER | press ID | text ID | close TITLE\n",
               stderr);
    return 2;
}
