// Formats time and date pictures with the Windows API, for the comparison with
// the Linux formatter: time_probe REQUEST ANSWER.
//
// Request lines carry a picture (or a file name) and the eight SYSTEMTIME fields
// (year, month, day of week, day, hour, minute, second, milliseconds):
// - "time PICTURE FIELDS" and "date PICTURE FIELDS" are answered with the same
//   fields followed by "ok" and the text GetTimeFormatW or GetDateFormatW made of
//   the picture for English (United States), LCID 0x0409, without flags, or by
//   "failed" and the error code;
// - "name NAME FIELDS" is answered with the same fields followed by the user
//   default LCID in hex and the name after the launcher's own expandFileNameTime
//   (its two passes with the user default locale, as the Windows launcher runs).
#include "probe_files_win32.h"
#include "probe_format.h"

#include "java/output_files.h"

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

constexpr LCID kEnglishUnitedStates = 0x0409;
constexpr size_t kTimeFields = 8;

bool readTime(const std::vector<std::u16string>& line, SYSTEMTIME& time) {
    if (line.size() != 2 + kTimeFields) {
        return false;
    }
    WORD fields[kTimeFields] = {};
    for (size_t i = 0; i < kTimeFields; ++i) {
        fields[i] =
            static_cast<WORD>(std::stoul(std::string(line[2 + i].begin(), line[2 + i].end())));
    }
    time = SYSTEMTIME{fields[0], fields[1], fields[2], fields[3],
                      fields[4], fields[5], fields[6], fields[7]};
    return true;
}

std::u16string hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04lX", value);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string decimal(unsigned long value) {
    std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: time_probe REQUEST ANSWER\n", stderr);
        return 2;
    }
    std::string request;
    if (!readAll(argv[1], request)) {
        std::fputs("time_probe: cannot read the request\n", stderr);
        return 2;
    }
    std::string answer;
    for (std::vector<std::u16string> line : parseLines(request)) {
        SYSTEMTIME time{};
        if (!readTime(line, time)) {
            std::fputs("time_probe: malformed request line\n", stderr);
            return 2;
        }
        const std::u16string& command = line[0];
        if (command == u"time" || command == u"date") {
            wchar_t buffer[4096] = {};
            int written =
                command == u"time"
                    ? GetTimeFormatW(kEnglishUnitedStates, 0, &time, wide(line[1]), buffer, 4096)
                    : GetDateFormatW(kEnglishUnitedStates, 0, &time, wide(line[1]), buffer, 4096);
            if (written > 0) {
                line.push_back(u"ok");
                line.push_back(std::u16string(reinterpret_cast<const char16_t*>(buffer),
                                              static_cast<size_t>(written - 1)));
            } else {
                line.push_back(u"failed");
                line.push_back(decimal(GetLastError()));
            }
        } else if (command == u"name") {
            launcher::WideString name(line[1]);
            launcher::expandFileNameTime(
                name, launcher::platform::LocalTime{time.wYear, time.wMonth, time.wDayOfWeek,
                                                    time.wDay, time.wHour, time.wMinute,
                                                    time.wSecond, time.wMilliseconds});
            line.push_back(hex(GetUserDefaultLCID()));
            line.push_back(std::u16string(name.view()));
        } else {
            std::fputs("time_probe: unknown request\n", stderr);
            return 2;
        }
        answer += formatLine(line);
    }
    if (!writeAll(argv[2], answer)) {
        std::fputs("time_probe: cannot write the answer\n", stderr);
        return 2;
    }
    return 0;
}
