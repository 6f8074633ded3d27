// Answers questions about INI files through the Windows private-profile API,
// for the comparison with the Linux reader: ini_probe REQUEST ANSWER.
//
// Request lines: "file PATH" starts a file (its sections, the keys of each and
// every value are listed); "get SECTION KEY" reads one value; "keys SECTION"
// lists the keys of a section named as given. Answers are written in the same
// line format (see probe_format.h).
#include "probe_files_win32.h"
#include "probe_format.h"

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

DWORD fileSize(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide(path), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return data.nFileSizeLow;
}

// The buffers start larger than any answer the file can hold, so that no
// value is ever cut and the answer does not depend on the platform's rules for
// cut values; the doubling stays as a guard.
struct ProfileReader {
    std::u16string path;
    DWORD initialSize = 256;

    // The zero-separated list the call wrote, split by the returned count, so
    // that an empty name inside the list is kept.
    std::vector<std::u16string> list(const wchar_t* section) const {
        std::vector<wchar_t> buffer;
        DWORD count = 0;
        for (DWORD size = initialSize;; size *= 2) {
            buffer.assign(size, L'\0');
            count = section == nullptr
                        ? GetPrivateProfileSectionNamesW(buffer.data(), size, wide(path))
                        : GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), size,
                                                   wide(path));
            if (count + 2 < size) {
                break;
            }
        }
        std::vector<std::u16string> names;
        for (DWORD at = 0; at < count;) {
            std::u16string name(reinterpret_cast<const char16_t*>(buffer.data() + at));
            at += static_cast<DWORD>(name.size()) + 1;
            names.push_back(name);
        }
        return names;
    }

    std::u16string value(const std::u16string& section, const std::u16string& key) const {
        std::vector<wchar_t> buffer;
        for (DWORD size = initialSize;; size *= 2) {
            buffer.assign(size, L'\0');
            DWORD count = GetPrivateProfileStringW(wide(section), wide(key), L"", buffer.data(),
                                                   size, wide(path));
            if (count + 2 < size) {
                break;
            }
        }
        return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()));
    }
};

std::u16string number(unsigned value) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return text;
}

void listKeys(const ProfileReader& reader, const std::u16string& section, std::string& answer) {
    std::vector<std::u16string> keys = reader.list(wide(section));
    std::vector<std::u16string> fields = {u"keys", section};
    fields.insert(fields.end(), keys.begin(), keys.end());
    answer += formatLine(fields);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: ini_probe REQUEST ANSWER\n", stderr);
        return 2;
    }
    std::string request;
    if (!readAll(argv[1], request)) {
        std::fputs("ini_probe: cannot read the request\n", stderr);
        return 2;
    }
    std::string answer = formatLine({u"acp", number(GetACP())});
    ProfileReader reader;
    for (const std::vector<std::u16string>& line : parseLines(request)) {
        const std::u16string& command = line[0];
        if (command == u"file" && line.size() == 2) {
            reader.path = line[1];
            reader.initialSize = fileSize(reader.path) + 256;
            answer += formatLine({u"file", reader.path});
            std::vector<std::u16string> sections = reader.list(nullptr);
            std::vector<std::u16string> fields = {u"sections"};
            fields.insert(fields.end(), sections.begin(), sections.end());
            answer += formatLine(fields);
            for (const std::u16string& section : sections) {
                listKeys(reader, section, answer);
                for (const std::u16string& key : reader.list(wide(section))) {
                    answer += formatLine({u"value", section, key, reader.value(section, key)});
                }
            }
        } else if (command == u"get" && line.size() == 3) {
            answer += formatLine({u"get", line[1], line[2], reader.value(line[1], line[2])});
        } else if (command == u"keys" && line.size() == 2) {
            listKeys(reader, line[1], answer);
        } else {
            std::fputs("ini_probe: malformed request line\n", stderr);
            return 2;
        }
    }
    if (!writeAll(argv[2], answer)) {
        std::fputs("ini_probe: cannot write the answer\n", stderr);
        return 2;
    }
    return 0;
}
