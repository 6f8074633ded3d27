// The JVM library of a runtime: where it lies below the runtime's home for a
// JVM type, whether it is a 32-bit x86 image, and loading it with its entry points.
#pragma once

#include "base/wide_string.h"
#include "config/jvm_type.h"

#include <jni.h>

namespace launcher {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM** vm, void** environment, void* arguments);
using GetDefaultJavaVmInitArgsFunction = jint(JNICALL*)(void* arguments);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv* environment, const char* name);

// The first library of the probe list that exists below `home` (which ends with a
// separator) for the type, with its server flag; empty when none exists, leaving
// `serverVm` unchanged.
WideString findJvmLibrary(const WideString& home, JvmType type, bool& serverVm);

// Whether the file is an image for 32-bit x86, which this 64-bit launcher cannot load.
bool isX86Library(const WideString& path);

// Whether the library file may be given to the system loader: 0 when it may (a
// file that cannot be opened included: the loader reports that itself), else the
// error code to report. A FIFO, a device or a folder is refused without being
// opened in a way that waits, and so is an image whose segments or sections lie
// partly beyond the end of the file (an interrupted copy).
uint32_t unloadableLibraryFileCode(const WideString& path);

// The hand-over flag after the x86 check of a settled library: set only when a
// companion program is configured and the library is a 32-bit x86 image.
bool needsPairHandOver(const WideString& pairProduct, const WideString& libraryPath);

class JvmLibrary {
  public:
    // Loads the library for the rest of the process and resolves its entry points;
    // reports the failure and returns false when it cannot.
    bool load(const WideString& path);

    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultJavaVmInitArgsFunction getDefaultJavaVmInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr; // optional

  private:
    void* module_ = nullptr;
};

} // namespace launcher
