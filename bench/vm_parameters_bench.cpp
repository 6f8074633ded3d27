// How long splitting "Virtual Machine Parameters" takes as the number of items grows
// (run by hand; see README in this folder).
//
//   vm_parameters_bench [items]
//       for 1/8, 1/4, 1/2 and all of `items` (default 100,000), splits two texts and
//       prints the time of each: that many plain options followed by one quoted
//       option (every item once searched the rest of the text for a quote), and one
//       option made of that many quoted sections (each once rebuilt the whole item).
//       A linear split doubles its time with the count.
#include "java/jvm_options.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::u16string manyOptions(size_t items) {
    std::u16string text;
    for (size_t i = 0; i < items; ++i) {
        text += u"-Dplain=value ";
    }
    return text + u"\"-Dtitle=My App\"";
}

std::u16string manyQuotedSections(size_t sections) {
    std::u16string text = u"-Dlong=";
    for (size_t i = 0; i < sections; ++i) {
        text += u"\"a b\"c";
    }
    return text;
}

double splitMilliseconds(const std::u16string& text, size_t& options) {
    launcher::WideStringList target;
    launcher::VmParameterState state;
    auto begin = std::chrono::steady_clock::now();
    launcher::splitVmParameters(text, target, state);
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - begin;
    options = target.size();
    return took.count();
}

} // namespace

int main(int argc, char** argv) {
    size_t items = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    for (size_t count : {items / 8, items / 4, items / 2, items}) {
        size_t options = 0;
        double plain = splitMilliseconds(manyOptions(count), options);
        size_t sections = 0;
        double quoted = splitMilliseconds(manyQuotedSections(count), sections);
        std::printf("%8zu: %10.1f ms for %zu options, %10.1f ms for one of %zu sections\n", count,
                    plain, options, quoted, count);
    }
    return 0;
}
