// The catalogue texts as they must read, written out independently of the
// catalogue's own source so that a changed character is caught.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>

namespace launcher {

inline const std::map<uint16_t, std::u16string_view>& expectedTexts() {
    static const std::map<uint16_t, std::u16string_view> texts = {
        {202, u"Windows exception: %s (errno = %d).\n"},
        {203, u"JNI exception: %s\nReason: %s.\n"},
        {204, u"COM error: %s (errno = %d).\n"},
        {205, u"JNI exception: %s.\n"},
        {206, u"The Java Runtime Environment (JRE) was not found. Please  download and install a "
              u"JRE with a server JVM (%s) from:"},
        {207, u"The Java Runtime Environment (JRE) was not found. Please  download and install a "
              u"JRE (%s) from:"},
        {208, u"failed to get the module path"},
        {209, u"Java Class Path was not specified in INI file."},
        {210, u"Main class was not specified in INI file."},
        {211, u"Failed to load Main Class: %s.\n"},
        {212, u"cannot find CreateJavaVM JNI"},
        {213, u"failed to create the Java VM"},
        {214, u"Browse for JRE folder"},
        {215, u"Could not find the main class %s.\n"},
        {216, u"No main method found in specified class.\n"},
        {217, u"latest version"},
        {218, u"maximum version %s"},
        {219, u"minimum version %s"},
        {220, u"version %s is required"},
        {221, u"version between %s and %s"},
        {222, u"Failed to load Java VM library: %s (errno = %d).\n"},
        {223, u"failed to initialize"},
        {224, u"failed to initialize module"},
        {225, u"unknown"},
        {226, u"thread detached from VM"},
        {227, u"JNI version error"},
        {228, u"not enough memory"},
        {229, u"VM already created"},
        {230, u"invalid arguments"},
        {231, u"%s cannot be passed to the Java VM in the system code page.\n"},
    };
    return texts;
}

} // namespace launcher
