// The text of a launcher's INI file for a Java application, the one way the
// end-to-end tests write it: each section's lines as the test gives them.
#pragma once

#include <string>

namespace launcher::testing {

struct ApplicationIni {
    std::string product{};     // the lines of [Product Information], first; none when empty
    std::string jre{};         // the lines of [Java Runtime Environment]
    std::string classPath{};   // the value of "Class Path"
    std::string application{}; // the lines of [Application]; none when empty

    // Lines end in a line feed alone.
    std::string text() const;
};

} // namespace launcher::testing
