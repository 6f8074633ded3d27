// The Linux INI reader against GetPrivateProfileStringW and
// GetPrivateProfileSectionNamesW under Wine, on every file of the corpus: the
// sections each lists, the keys of each section, every value, and values asked
// for under names written differently (letter case, blanks, names of lines
// that are not listed).
//
// Where Wine and the reader part ways on purpose:
// - A file without a byte-order mark that is valid UTF-8 is read in the ANSI
//   code page by Windows and as UTF-8 on Linux, where UTF-8 is the system's
//   encoding. Such files with non-ASCII text are checked on Linux only, against
//   the same text with a UTF-8 byte-order mark.
// - A UTF-16 file of odd length: Wine reads its last byte together with a
//   byte beyond the end of its buffer; the reader ignores that byte. The
//   corpus has such a file only with the odd byte after the last line break,
//   where neither reads anything from it.
#include "config/ini_document.h"
#include "ini_corpus.h"
#include "probe_format.h"
#include "support/file_bytes.h"
#include "support/test_folder.h"
#include "support/wine_environment.h"
#include "wine_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>

namespace launcher::differential {
namespace {

namespace fs = std::filesystem;
using probe::formatLine;
using probe::parseLines;

// Answers of one file: the question (as a line of the answer format without
// its answer) to the answer.
using Answers = std::map<std::string, std::string>;

void addUnique(std::vector<std::u16string>& names, std::u16string name, size_t limit) {
    if (names.size() < limit && std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(std::move(name));
    }
}

std::u16string asciiUpper(std::u16string text) {
    for (char16_t& unit : text) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - 0x20);
        }
    }
    return text;
}

std::u16string asciiLower(std::u16string text) {
    for (char16_t& unit : text) {
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit + 0x20);
        }
    }
    return text;
}

// Names to ask for, taken from the written text line by line with a rough
// rule of its own (not the reader's): what stands between brackets, and what
// stands before the first "=" or makes up a whole line. Whatever the reader
// itself lists is added.
void namesToAsk(const CorpusFile& file, const IniDocument& document,
                std::vector<std::u16string>& sections, std::vector<std::u16string>& keys) {
    constexpr size_t kSectionLimit = 14;
    constexpr size_t kKeyLimit = 40;
    addUnique(sections, u"", kSectionLimit);
    for (const WideString& section : document.sectionNames()) {
        addUnique(sections, std::u16string(section.view()), kSectionLimit);
        for (const WideString& key : document.keyNames(section)) {
            addUnique(keys, std::u16string(key.view()), kKeyLimit);
        }
    }
    std::u16string_view text = file.text;
    while (!text.empty()) {
        size_t end = std::min(text.find_first_of(u"\r\n"), text.size());
        std::u16string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) {
            line.remove_prefix(1);
        }
        if (line.empty()) {
            continue;
        }
        size_t close = line.rfind(u']');
        if (line.front() == u'[' && close != std::u16string_view::npos) {
            addUnique(sections, std::u16string(line.substr(1, close - 1)), kSectionLimit);
            addUnique(sections, std::u16string(line.substr(1, line.find(u']') - 1)), kSectionLimit);
            continue;
        }
        addUnique(keys, std::u16string(line.substr(0, line.find(u'='))), kKeyLimit);
    }
}

// The questions for one file: everything the probe lists on its own, and each
// section name to ask for with each key name, plus variants of the names.
std::string questions(const CorpusFile& file, const fs::path& path, const IniDocument& document) {
    std::string request = formatLine({u"file", fromUtf8(testing::windowsPathOf(path))});
    std::vector<std::u16string> sections;
    std::vector<std::u16string> keys;
    namesToAsk(file, document, sections, keys);
    for (const std::u16string& section : sections) {
        for (const std::u16string& key : keys) {
            request += formatLine({u"get", section, key});
        }
        request += formatLine({u"keys", section});
    }
    for (const WideString& listed : document.sectionNames()) {
        std::u16string section(listed.view());
        for (const std::u16string& variant :
             {asciiUpper(section), asciiLower(section), u" " + section, section + u"\t",
              u"\x1A" + section + u"\x0B"}) {
            request += formatLine({u"keys", variant});
            for (const WideString& key : document.keyNames(listed)) {
                std::u16string name(key.view());
                request += formatLine({u"get", variant, asciiUpper(name)});
                request += formatLine({u"get", variant, u"\t " + asciiLower(name) + u"\r"});
            }
        }
    }
    return request;
}

// What the probe answers, worked out by the Linux reader.
std::string answersByReader(std::string_view request,
                            const std::map<std::u16string, fs::path>& files) {
    std::string answer;
    const IniDocument* document = nullptr;
    std::map<std::u16string, IniDocument> documents;
    auto listKeys = [&](const std::u16string& section) {
        std::vector<std::u16string> fields = {u"keys", section};
        for (const WideString& key : document->keyNames(section)) {
            fields.emplace_back(key.view());
        }
        answer += formatLine(fields);
    };
    auto value = [&](const std::u16string& section, const std::u16string& key) {
        WideString found;
        document->getValue(section, key, found);
        return std::u16string(found.view());
    };
    for (const std::vector<std::u16string>& line : parseLines(request)) {
        if (line[0] == u"file") {
            document =
                &documents
                     .emplace(line[1], IniDocument::parse(testing::readFile(files.at(line[1]))))
                     .first->second;
            answer += formatLine({u"file", line[1]});
            std::vector<std::u16string> fields = {u"sections"};
            for (const WideString& section : document->sectionNames()) {
                fields.emplace_back(section.view());
            }
            answer += formatLine(fields);
            for (size_t i = 1; i < fields.size(); ++i) {
                listKeys(fields[i]);
                for (const WideString& key : document->keyNames(fields[i])) {
                    std::u16string name(key.view());
                    answer += formatLine({u"value", fields[i], name, value(fields[i], name)});
                }
            }
        } else if (line[0] == u"get") {
            answer += formatLine({u"get", line[1], line[2], value(line[1], line[2])});
        } else if (line[0] == u"keys") {
            listKeys(line[1]);
        }
    }
    return answer;
}

// The answers of each file: the lines after its "file" line, each split into
// the question (all fields but the answer) and the answer.
std::map<std::u16string, Answers> answersByFile(std::string_view answer) {
    std::map<std::u16string, Answers> byFile;
    Answers* current = nullptr;
    for (const std::vector<std::u16string>& line : parseLines(answer)) {
        if (line[0] == u"file") {
            current = &byFile[line[1]];
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        size_t questionFields = line[0] == u"sections" ? 1 : line[0] == u"keys" ? 2 : 3;
        std::vector<std::u16string> question(line.begin(),
                                             line.begin() + std::min(questionFields, line.size()));
        std::vector<std::u16string> reply(line.begin() + std::min(questionFields, line.size()),
                                          line.end());
        std::string replyText = formatLine(reply);
        current->emplace(formatLine(question), replyText.substr(0, replyText.size() - 1));
    }
    return byFile;
}

// Reports each question the two sides answer differently, at most a few per file.
void expectSameAnswers(const std::string& name, const Answers& expected, const Answers& actual,
                       const char* expectedSide, const char* actualSide) {
    constexpr int kReportLimit = 12;
    int reported = 0;
    std::set<std::string> questions;
    for (const auto& [question, reply] : expected) {
        questions.insert(question);
    }
    for (const auto& [question, reply] : actual) {
        questions.insert(question);
    }
    for (const std::string& question : questions) {
        auto wanted = expected.find(question);
        auto got = actual.find(question);
        std::string wantedText = wanted == expected.end() ? "(not asked)" : wanted->second;
        std::string gotText = got == actual.end() ? "(not asked)" : got->second;
        if (wantedText != gotText && reported++ < kReportLimit) {
            ADD_FAILURE() << name << ": " << question << "  " << expectedSide << ": [" << wantedText
                          << "]\n  " << actualSide << ": [" << gotText << "]";
        }
    }
    if (reported > kReportLimit) {
        ADD_FAILURE() << name << ": " << reported - kReportLimit << " more differences";
    }
}

struct WrittenCorpus {
    std::vector<CorpusFile> files;
    std::map<std::u16string, fs::path> pathsByWineName;
    std::map<std::string, fs::path> pathsByName;
};

WrittenCorpus writeCorpus(const testing::TestFolder& folder) {
    WrittenCorpus corpus{iniCorpus(), {}, {}};
    for (const CorpusFile& file : corpus.files) {
        fs::path path = folder.write("corpus/" + file.name, file.bytes);
        // Wine reloads a file changed in the last two seconds at every call.
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
        corpus.pathsByWineName[fromUtf8(testing::windowsPathOf(path))] = path;
        corpus.pathsByName[file.name] = path;
    }
    return corpus;
}

TEST(IniDifferential, ReaderAnswersAsThePlatformDoes) {
    std::optional<fs::path> probe = windowsProbe("ini_probe");
    if (!probe) {
        if (windowsBuildRequired()) {
            FAIL() << "the Windows build's ini_probe.exe (or Wine) is missing";
        }
        GTEST_SKIP() << kWindowsBuildAbsent;
    }
    testing::TestFolder folder;
    WrittenCorpus corpus = writeCorpus(folder);
    std::string request;
    for (const CorpusFile& file : corpus.files) {
        if (file.sameAnswersAs.empty()) {
            fs::path path = corpus.pathsByName.at(file.name);
            request += questions(file, path, IniDocument::parse(file.bytes));
        }
    }
    std::optional<std::string> byPlatform = runProbe(*probe, folder.path(), request);
    ASSERT_TRUE(byPlatform.has_value());
    std::vector<std::vector<std::u16string>> answerLines = parseLines(*byPlatform);
    ASSERT_FALSE(answerLines.empty());
    // The files without a byte-order mark are read in the ANSI code page there.
    ASSERT_EQ(answerLines[0], (std::vector<std::u16string>{u"acp", u"1252"}))
        << "Wine runs with another ANSI code page; set LANG=en_US.UTF-8";

    std::map<std::u16string, Answers> platform = answersByFile(*byPlatform);
    std::map<std::u16string, Answers> reader =
        answersByFile(answersByReader(request, corpus.pathsByWineName));
    ASSERT_EQ(platform.size(), reader.size());
    for (const auto& [wineName, answers] : reader) {
        std::string name = corpus.pathsByWineName.at(wineName).filename().string();
        expectSameAnswers(name, platform[wineName], answers, "Windows", "Linux");
    }
}

// The files Windows reads in its ANSI code page by design give on Linux the
// answers of the same text marked as UTF-8.
TEST(IniDifferential, UnmarkedUtf8ReadsAsMarkedUtf8) {
    testing::TestFolder folder;
    WrittenCorpus corpus = writeCorpus(folder);
    int compared = 0;
    for (const CorpusFile& file : corpus.files) {
        if (file.sameAnswersAs.empty()) {
            continue;
        }
        // The same questions for both, asked under one name.
        fs::path path = corpus.pathsByName.at(file.name);
        fs::path twin = corpus.pathsByName.at(file.sameAnswersAs);
        std::string request = questions(file, path, IniDocument::parse(file.bytes));
        std::map<std::u16string, fs::path> asFile = {
            {fromUtf8(testing::windowsPathOf(path)), path}};
        std::map<std::u16string, fs::path> asTwin = {
            {fromUtf8(testing::windowsPathOf(path)), twin}};
        std::map<std::u16string, Answers> own = answersByFile(answersByReader(request, asFile));
        std::map<std::u16string, Answers> marked = answersByFile(answersByReader(request, asTwin));
        expectSameAnswers(file.name, marked.begin()->second, own.begin()->second,
                          file.sameAnswersAs.c_str(), file.name.c_str());
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

} // namespace
} // namespace launcher::differential
