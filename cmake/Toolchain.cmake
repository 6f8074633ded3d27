# Compiler settings shared by every target of ours, and where the JDK is.

# Warnings are errors on our own targets only; GoogleTest keeps its own flags.
add_library(launcher_warnings INTERFACE)
target_compile_options(launcher_warnings INTERFACE -Wall -Wextra -Wshadow -Werror)

# The JDK gives jni.h to both builds and javac to the Java test applications.
find_program(LAUNCHER_JAVAC javac REQUIRED NO_CMAKE_FIND_ROOT_PATH)
file(REAL_PATH "${LAUNCHER_JAVAC}" javac_real)
cmake_path(GET javac_real PARENT_PATH jdk_bin)
cmake_path(GET jdk_bin PARENT_PATH jdk_home)
set(LAUNCHER_JDK_HOME "${jdk_home}" CACHE PATH "JDK whose jni.h and javac the build uses")

add_library(launcher_jni_headers INTERFACE)
if(WIN32)
    target_include_directories(launcher_jni_headers SYSTEM INTERFACE
        "${CMAKE_SOURCE_DIR}/src/java/jni_win32" "${LAUNCHER_JDK_HOME}/include")
else()
    target_include_directories(launcher_jni_headers SYSTEM INTERFACE
        "${LAUNCHER_JDK_HOME}/include" "${LAUNCHER_JDK_HOME}/include/linux")
endif()

if(WIN32)
    # One self-contained executable: only Windows system DLLs are imported.
    add_compile_options(-ffunction-sections -fdata-sections)
    add_link_options(-static -Wl,--gc-sections)
    set(LAUNCHER_WINE_RUN "${CMAKE_SOURCE_DIR}/tests/wine/wine-run")
    set(LAUNCHER_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
    set(CMAKE_CROSSCOMPILING_EMULATOR "${LAUNCHER_WINE_RUN};${LAUNCHER_WINE_PREFIX}")
else()
    # Unit tests run the same code with AddressSanitizer and UBSan.
    set(LAUNCHER_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
endif()
