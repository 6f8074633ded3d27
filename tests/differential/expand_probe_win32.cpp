// Expands texts with the Windows environment rules, for the comparison with
// the Linux expansion: expand_probe REQUEST ANSWER.
//
// Request lines: "set NAME VALUE" and "unset NAME" change the environment;
// "expand TEXT" is answered with "expand TEXT STATUS RESULT LAUNCHER": the
// outcome of ExpandEnvironmentStringsW asked first for the size and then for
// the text ("ok" or "failed", and the text, which is the input when failed),
// and what the launcher's own expandEnvironmentText made of it.
#include "probe_files_win32.h"
#include "probe_format.h"

#include "platform/environment.h"

#include "platform/win32_handles.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using launcher::probe::formatLine;
using launcher::probe::parseLines;

using launcher::probe::readAll;
using launcher::probe::wide;
using launcher::probe::writeAll;

// The platform's answer on its own terms: a call that reports no size, or a
// second call that does not fit what the first one asked for, is a failure.
bool expandByPlatform(const std::u16string& text, std::u16string& result) {
    DWORD needed = ExpandEnvironmentStringsW(wide(text), nullptr, 0);
    if (needed == 0) {
        return false;
    }
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD written = ExpandEnvironmentStringsW(wide(text), buffer.data(), needed);
    if (written == 0 || written > needed) {
        return false;
    }
    // The count includes the terminating zero; a text that came back shorter
    // than the count says was cut.
    std::u16string expanded(reinterpret_cast<const char16_t*>(buffer.data()));
    if (expanded.size() + 1 != written) {
        return false;
    }
    result = expanded;
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: expand_probe REQUEST ANSWER\n", stderr);
        return 2;
    }
    std::string request;
    if (!readAll(argv[1], request)) {
        std::fputs("expand_probe: cannot read the request\n", stderr);
        return 2;
    }
    std::string answer;
    for (const std::vector<std::u16string>& line : parseLines(request)) {
        const std::u16string& command = line[0];
        if (command == u"set" && line.size() == 3) {
            bool set = SetEnvironmentVariableW(wide(line[1]), wide(line[2])) != 0;
            answer += formatLine({u"set", line[1], set ? u"ok" : u"failed"});
        } else if (command == u"unset" && line.size() == 2) {
            SetEnvironmentVariableW(wide(line[1]), nullptr);
        } else if (command == u"expand" && line.size() == 2) {
            std::u16string result = line[1];
            bool expanded = expandByPlatform(line[1], result);
            launcher::WideString byLauncher(line[1]);
            launcher::platform::expandEnvironmentText(byLauncher);
            answer += formatLine({u"expand", line[1], expanded ? u"ok" : u"failed", result,
                                  std::u16string(byLauncher.view())});
        } else {
            std::fputs("expand_probe: malformed request line\n", stderr);
            return 2;
        }
    }
    if (!writeAll(argv[2], answer)) {
        std::fputs("expand_probe: cannot write the answer\n", stderr);
        return 2;
    }
    return 0;
}
