// The INI files the differential test reads through both readers.
#include "ini_corpus.h"
#include "support/file_bytes.h"
#include "support/test_text.h"

#include "probe_format.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace launcher::differential {

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

using launcher::testing::utf16Bytes;

using launcher::testing::repeatedText;

// Windows-1252 at 0x80 to 0x9F; undefined bytes keep their code point.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isAscii(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; });
}

// False when a character has no byte in the code page.
bool toCp1252(std::u16string_view text, std::string& bytes) {
    bytes.clear();
    for (char16_t unit : text) {
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            bytes.push_back(static_cast<char>(unit));
            continue;
        }
        const char16_t* found = std::find(std::begin(kCp1252High), std::end(kCp1252High), unit);
        if (found == std::end(kCp1252High)) {
            return false;
        }
        bytes.push_back(static_cast<char>(0x80 + (found - std::begin(kCp1252High))));
    }
    return true;
}

std::u16string fromCp1252(std::string_view bytes) {
    std::u16string text;
    for (char byte : bytes) {
        auto unit = static_cast<unsigned char>(byte);
        text.push_back(unit >= 0x80 && unit < 0xA0 ? kCp1252High[unit - 0x80] : unit);
    }
    return text;
}

// Strict UTF-8: any malformed sequence makes the whole text invalid.
bool isValidUtf8(std::string_view bytes) {
    for (size_t at = 0; at < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
        if (length == 0 || at + length > bytes.size()) {
            return false;
        }
        for (size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80) {
                return false;
            }
        }
        auto second = static_cast<unsigned char>(bytes[at + 1 < bytes.size() ? at + 1 : at]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
            return false;
        }
        at += length;
    }
    return true;
}

// The text with every line break (LF in the files kept in corpus/) replaced.
std::u16string withBreaks(std::u16string_view text, std::u16string_view lineBreak) {
    std::u16string out;
    for (char16_t unit : text) {
        if (unit == u'\n') {
            out += lineBreak;
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

// Line breaks of every kind in turn: CR LF, LF, CR, and LF CR.
std::u16string withMixedBreaks(std::u16string_view text) {
    static const std::u16string_view kBreaks[] = {u"\r\n", u"\n", u"\r", u"\n\r"};
    std::u16string out;
    size_t next = 0;
    for (char16_t unit : text) {
        if (unit == u'\n') {
            out += kBreaks[next++ % 4];
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

void addKeptFile(std::vector<CorpusFile>& corpus, const fs::path& path) {
    std::u16string text = fromUtf8(testing::readFile(path));
    std::string stem = path.stem().string();
    std::string withBom = stem + ".utf8-bom-crlf.ini";

    CorpusFile plain{stem + ".lf.ini", toUtf8(text), text, ""};
    if (!isAscii(text)) {
        // Windows reads a file without a byte-order mark in its ANSI code page;
        // Linux reads valid UTF-8 as UTF-8, which is what the marked file says.
        plain.sameAnswersAs = withBom;
    }
    corpus.push_back(plain);
    std::u16string crlf = withBreaks(text, u"\r\n");
    corpus.push_back({withBom, "\xEF\xBB\xBF" + toUtf8(crlf), crlf, ""});
    std::u16string cr = withBreaks(text, u"\r");
    corpus.push_back({stem + ".utf16le-cr.ini", utf16Bytes(cr, true), cr, ""});
    std::u16string unfinished = crlf.substr(0, crlf.size() - 2);
    corpus.push_back(
        {stem + ".utf16be-unfinished.ini", utf16Bytes(unfinished, false), unfinished, ""});
    std::u16string mixed = withMixedBreaks(text);
    if (isAscii(text)) {
        corpus.push_back({stem + ".mixed.ini", toUtf8(mixed), mixed, ""});
    } else {
        corpus.push_back({stem + ".utf8-bom-mixed.ini", "\xEF\xBB\xBF" + toUtf8(mixed), mixed, ""});
        std::string ansi;
        if (toCp1252(crlf, ansi) && !isValidUtf8(ansi)) {
            corpus.push_back({stem + ".cp1252.ini", ansi, crlf, ""});
        }
    }
}

std::u16string number(size_t value) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return text;
}

CorpusFile longValues() {
    std::u16string text = u"[Long]\r\n";
    for (size_t length : {1, 254, 255, 256, 257, 511, 512, 513, 1023, 1024}) {
        text += u"v" + number(length) + u"=" + repeatedText(u"0123456789abcdef", length) + u"\r\n";
    }
    // Quoted values whose length with and without the quotes meets a buffer size.
    for (size_t length : {253, 254, 255, 256, 257, 510, 511, 512}) {
        text += u"q" + number(length) + u"=\"" + repeatedText(u"quoted ", length) + u"\"\r\n";
    }
    text += u"huge=" + repeatedText(u"A long value; ", 70000) + u"\r\n";
    text += u"hugequoted='" + repeatedText(u"x", 66000) + u"'\r\n";
    text += u"[" + repeatedText(u"Section name ", 300) + u"]\r\n";
    text += repeatedText(u"key name ", 300) + u"=long key\r\n";
    text += u"after=the long names";
    return {"long-values.ini", toUtf8(text), text, ""};
}

std::vector<CorpusFile> zeroBytes() {
    std::u16string text(u"[s\0t]\r\nk\0x=1\r\nv=a\0b\r\nq=\"a\0\"\r\n\0lead=2\r\n=\r\n\0=3\r\n"
                        u"=4\r\nw=5\r\n[\0]\r\nz=6\r\n[u]\r\n\0\r\n=7\r\nafter=8\r\n"sv);
    std::string bytes = toUtf8(text);
    std::string ansi = bytes + "\xFF=not UTF-8\r\n";
    return {{"zero-bytes.ini", bytes, text, ""},
            {"zero-bytes.cp1252.ini", ansi, fromCp1252(ansi), ""},
            {"zero-bytes.utf16le.ini", utf16Bytes(text, true), text, ""}};
}

CorpusFile damagedUtf8() {
    std::string bytes = "\xEF\xBB\xBF[s]\r\n"
                        "cut=x\xE4\xB8y\r\n"
                        "surrogate=\xED\xA0\x80z\r\n"
                        "overlong=\xC0\xAFz\r\n"
                        "overlong3=\xE0\x80\x80z\r\n"
                        "overlong4=\xF0\x80\x80\x80z\r\n"
                        "beyond=\xF4\x90\x80\x80z\r\n"
                        "f5=\xF5\x80\x80\x80z\r\n"
                        "lone=\xFFz\x80z\xBFz\r\n"
                        "cut4=\xF0\x9F\x98z\r\n"
                        "lead only=\xC2z\r\n"
                        "good=\xE0\xA0\x80\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\r\n"
                        "written replacement=\xEF\xBF\xBD\r\n"
                        "n\xC3\xA4me\xFF=value\r\n"
                        "[sec\xE4tion]\r\n"
                        "k=1\r\n"
                        "end=x\xF0\x9F\x98";
    std::u16string text = u"[s]\r\ncut=\r\nsurrogate=\r\noverlong=\r\noverlong3=\r\noverlong4=\r\n"
                          u"beyond=\r\nf5=\r\nlone=\r\ncut4=\r\nlead only=\r\ngood=\r\n"
                          u"written replacement=\r\nk=\r\nend=\r\n";
    return {"damaged-utf8.ini", bytes, text, ""};
}

std::vector<CorpusFile> encodingEdges() {
    std::u16string plain = u"[s]\r\nk=1\r\n";
    return {
        {"empty.ini", "", u"", ""},
        {"bom-only.ini", "\xEF\xBB\xBF", u"", ""},
        {"utf16le-bom-only.ini", "\xFF\xFE", u"", ""},
        {"utf16be-bom-only.ini", "\xFE\xFF", u"", ""},
        {"one-bracket.ini", "[", u"[", ""},
        {"one-high-byte.ini", "\xFF", u"", ""},
        {"blank-lines-only.ini", " \r\n\t\r\n\x1A\r\n", u"", ""},
        // An odd last byte after the final line break adds nothing readable.
        {"utf16le-odd.ini", utf16Bytes(plain, true) + "A", plain, ""},
        {"utf16le-bom-then-ascii.ini", "\xFF\xFE[s]\r\nk=1\r\n", plain, ""},
        {"bom-then-utf16.ini", "\xEF\xBB\xBF" + utf16Bytes(plain, true), plain, ""},
        {"bom-twice.ini", "\xEF\xBB\xBF\xEF\xBB\xBF" + toUtf8(plain), plain, ""},
    };
}

// Names and values surrounded by blanks the platform strips and by Unicode
// blanks it keeps.
CorpusFile unusualBlanks() {
    std::u16string text = u"[\u00A0nbsp\u00A0]\r\n\u00A0k\u00A0=\u00A0v\u00A0\r\n"
                          u"[\x1A"
                          u"ctrl-z\x1A]\r\n\x1Ak\x1A=\x1Av\x1A\r\n"
                          u"[\x0B"
                          u"vt\x0C]\r\n\x0Bk\x0C=\x0Bv\x0C\r\n"
                          u"[\u3000ideographic\u3000]\r\n\u3000k\u3000=\u3000v\u3000\r\n"
                          u"[\u2003em\u2003]\r\n\u2003k\u2003=\u2003v\u2003\r\n"
                          u"[\uFEFFbom inside]\r\n\uFEFFk=\uFEFFv\r\n"
                          u"[\x85"
                          u"next line\x85]\r\n\x85k\x85=\x85v\x85\r\n";
    return {"unusual-blanks.utf16le.ini", utf16Bytes(text, true), text, ""};
}

CorpusFile cp1252Names() {
    std::string bytes = "[Caf\xE9]\r\n\xC9t\xE9=upper\r\n\xE9t\xE9=lower\r\n"
                        "high=\x80\x81\x82\x8D\x8F\x90\x9D\x9F\xA0\xFF\r\n"
                        "\x8A\x9A=s caron pair\r\n\x9A\x8A=swapped\r\n"
                        "[CAF\xC9]\r\nk=upper section\r\n[caf\xE9]\r\nk=lower section\r\n";
    return {"cp1252-names.ini", bytes, fromCp1252(bytes), ""};
}

// A small, fixed pseudo-random sequence, so that every run sees the same files.
class Sequence {
  public:
    explicit Sequence(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

  private:
    uint32_t state_;
};

std::vector<CorpusFile> garbage() {
    std::vector<CorpusFile> files;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        Sequence random(seed);
        std::string bytes;
        for (int i = 0; i < 3000; ++i) {
            bytes.push_back(static_cast<char>(random.next() & 0xFF));
        }
        // Starts like neither byte-order mark nor UTF-8, as random bytes would.
        bytes = "[g]\r\n" + bytes + "\n\xFF";
        files.push_back({"random-" + std::to_string(seed) + ".ini", bytes, fromCp1252(bytes), ""});
    }
    static const std::u16string_view kPieces[] = {
        u"[",   u"]",    u"=",    u";",      u"#",      u"\r\n",   u"\n",   u"\r",
        u" ",   u"\t",   u"\"",   u"'",      u"a",      u"b",      u"A",    u"B",
        u"key", u"Sect", u"\x1A", u"\u00E9", u"\u00C9", u"\u0416", u"\0"sv,
    };
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        Sequence random(seed + 100);
        std::u16string text;
        for (int i = 0; i < 1500; ++i) {
            text += kPieces[random.next() % std::size(kPieces)];
        }
        std::string name = "structured-" + std::to_string(seed);
        switch (seed % 3) {
        case 0:
            files.push_back({name + ".utf16le.ini", utf16Bytes(text, true), text, ""});
            break;
        case 1:
            files.push_back({name + ".utf8-bom.ini", "\xEF\xBB\xBF" + toUtf8(text), text, ""});
            break;
        default: {
            std::string ansi;
            toCp1252(text, ansi);
            ansi += "\n\xFF"; // never valid UTF-8
            files.push_back({name + ".cp1252.ini", ansi, fromCp1252(ansi), ""});
        }
        }
    }
    return files;
}

} // namespace

std::string toUtf8(std::u16string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t value = text[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (text[++i] - 0xDC00);
            bytes.push_back(static_cast<char>(0xF0 | (value >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        } else {
            probe::appendUtf8(bytes, value);
        }
    }
    return bytes;
}

std::u16string fromUtf8(std::string_view bytes) {
    if (!isValidUtf8(bytes)) {
        throw std::invalid_argument("corpus file is not UTF-8");
    }
    std::u16string text;
    for (size_t at = 0; at < bytes.size();) {
        auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            value = (value << 6) | (bytes[at + i] & 0x3F);
        }
        at += length;
        if (value >= 0x10000) {
            value -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(value));
        }
    }
    return text;
}

std::vector<CorpusFile> iniCorpus() {
    std::vector<CorpusFile> corpus;
    std::vector<fs::path> kept;
    for (const fs::directory_entry& entry : fs::directory_iterator(LAUNCHER_INI_CORPUS)) {
        if (entry.path().extension() == ".ini") {
            kept.push_back(entry.path());
        }
    }
    std::sort(kept.begin(), kept.end());
    for (const fs::path& path : kept) {
        addKeptFile(corpus, path);
    }
    corpus.push_back(longValues());
    corpus.push_back(damagedUtf8());
    corpus.push_back(unusualBlanks());
    corpus.push_back(cp1252Names());
    for (auto* make : {&zeroBytes, &encodingEdges, &garbage}) {
        std::vector<CorpusFile> made = make();
        corpus.insert(corpus.end(), made.begin(), made.end());
    }
    return corpus;
}

} // namespace launcher::differential
