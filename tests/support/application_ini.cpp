// Composing a launcher INI file section by section.
#include "support/application_ini.h"

namespace launcher::testing {

std::string ApplicationIni::text() const {
    std::string text;
    if (!product.empty()) {
        text += "[Product Information]\n" + product + "\n";
    }
    text += "[Java Runtime Environment]\n" + jre + "\n[Class Path]\nClass Path=" + classPath + "\n";
    if (!application.empty()) {
        text += "[Application]\n" + application + "\n";
    }
    return text;
}

} // namespace launcher::testing
