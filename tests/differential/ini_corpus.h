// The INI files the Linux reader is compared on: the readable ones kept in
// corpus/, each in several encodings and line-break styles, and the ones made
// here because their bytes matter (zero bytes, damaged UTF-8, garbage, values
// longer than any buffer).
#pragma once

#include <string>
#include <vector>

namespace launcher::differential {

struct CorpusFile {
    std::string name;
    std::string bytes;
    // The text as written, before encoding: where the names to ask for come from.
    std::u16string text;
    // Files whose answers Windows reads differently by design are checked on
    // Linux only, against the answers of the file named here.
    std::string sameAnswersAs;
};

std::vector<CorpusFile> iniCorpus();

// Text in the encodings the corpus uses, written out independently of the
// reader under test.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view bytes);

} // namespace launcher::differential
