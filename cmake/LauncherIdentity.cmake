# The identity a Windows launcher executable carries: its file name, icon and
# version resource. Everything comes from cache variables, so an application ships
# its own launcher without touching the sources (docs/IDENTITY.md).

set(LAUNCHER_OUTPUT_NAME "launcher" CACHE STRING
    "File name of the Windows launcher without .exe (the tests expect the default)")
set(LAUNCHER_ICON "" CACHE FILEPATH
    "Icon (.ico) of the launcher executable; empty: the executable carries no icon")
set(LAUNCHER_FILE_VERSION "" CACHE STRING
    "File version, four dotted numbers (1.2.3.4); empty: the project's version")
set(LAUNCHER_PRODUCT_VERSION "" CACHE STRING
    "Product version, four dotted numbers; empty: the file version")
set(LAUNCHER_FILE_DESCRIPTION "Java application launcher" CACHE STRING
    "FileDescription of the version resource (UTF-8)")
set(LAUNCHER_PRODUCT_NAME "Java application launcher" CACHE STRING
    "ProductName of the version resource (UTF-8)")
set(LAUNCHER_COMPANY_NAME "" CACHE STRING
    "CompanyName of the version resource (UTF-8); empty: left out")
set(LAUNCHER_LEGAL_COPYRIGHT "" CACHE STRING
    "LegalCopyright of the version resource (UTF-8); empty: left out")
set(LAUNCHER_INTERNAL_NAME "" CACHE STRING
    "InternalName of the version resource; empty: the output name")
set(LAUNCHER_ORIGINAL_FILENAME "" CACHE STRING
    "OriginalFilename of the version resource; empty: the output name with .exe")

# Fails the configuration unless `value` is four dotted numbers of 0 to 65535;
# sets `out` to them separated by commas, as VERSIONINFO takes them.
function(launcher_version_numbers out variable value)
    set(number "(0|[1-9][0-9]?[0-9]?[0-9]?[0-9]?)")
    if(NOT value MATCHES "^${number}\\.${number}\\.${number}\\.${number}$")
        message(FATAL_ERROR "${variable} is \"${value}\": a version is four dotted numbers "
            "of 0 to 65535 without leading zeros, such as 1.2.3.4")
    endif()
    set(numbers ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    foreach(part IN LISTS numbers)
        if(part GREATER 65535)
            message(FATAL_ERROR "${variable} is \"${value}\": ${part} is above 65535, "
                "the largest part a Windows version holds")
        endif()
    endforeach()
    list(JOIN numbers ", " joined)
    set(${out} "${joined}" PARENT_SCOPE)
endfunction()

# Sets `out` to `value` as a quoted resource-script string. Quotes are doubled and
# backslashes doubled; other text stays UTF-8, which the generated script declares
# as its code page. A line break or another control character has no place in a
# version field, so it fails the configuration instead of coming out mangled.
function(launcher_rc_string out variable value)
    string(ASCII 1 first_control)
    string(ASCII 31 last_control)
    string(ASCII 127 delete)
    if(value MATCHES "[${first_control}-${last_control}${delete}]")
        message(FATAL_ERROR "${variable} holds a line break or another control character")
    endif()
    string(REPLACE "\\" "\\\\" escaped "${value}")
    string(REPLACE "\"" "\"\"" escaped "${escaped}")
    set(${out} "\"${escaped}\"" PARENT_SCOPE)
endfunction()

# Appends one VALUE row of the StringFileInfo block to LAUNCHER_RC_STRING_VALUES
# unless `value` is empty.
function(launcher_rc_value key variable value)
    if(NOT value STREQUAL "")
        launcher_rc_string(quoted ${variable} "${value}")
        string(APPEND LAUNCHER_RC_STRING_VALUES "            VALUE \"${key}\", ${quoted}\n")
        set(LAUNCHER_RC_STRING_VALUES "${LAUNCHER_RC_STRING_VALUES}" PARENT_SCOPE)
    endif()
endfunction()

# Gives a launcher target its name, icon and version resource. The values reach
# launcher.rc through launcher_identity.rc in the build folder. `suffix` follows
# the output name ("w" for the windowed launcher: myappw.exe).
function(launcher_identity target suffix)
    set(name "${LAUNCHER_OUTPUT_NAME}")
    if(name STREQUAL "" OR name MATCHES "[<>:\"/\\|?*]" OR name MATCHES "[. ]$"
       OR name MATCHES "\\.[eE][xX][eE]$")
        message(FATAL_ERROR "LAUNCHER_OUTPUT_NAME is \"${name}\": give a file name without "
            "folder or .exe, free of < > : \" / \\ | ? * and not ending in a dot or space")
    endif()
    launcher_rc_string(checked LAUNCHER_OUTPUT_NAME "${name}")
    string(APPEND name "${suffix}")
    set_target_properties(${target} PROPERTIES OUTPUT_NAME "${name}")

    set(file_version "${LAUNCHER_FILE_VERSION}")
    if(file_version STREQUAL "")
        set(file_version "${PROJECT_VERSION}")
        string(REGEX MATCHALL "\\." dots "${file_version}")
        list(LENGTH dots count)
        while(count LESS 3)
            string(APPEND file_version ".0")
            math(EXPR count "${count} + 1")
        endwhile()
    endif()
    set(product_version "${LAUNCHER_PRODUCT_VERSION}")
    if(product_version STREQUAL "")
        set(product_version "${file_version}")
    endif()
    launcher_version_numbers(LAUNCHER_RC_FILE_VERSION_NUMBERS LAUNCHER_FILE_VERSION "${file_version}")
    launcher_version_numbers(LAUNCHER_RC_PRODUCT_VERSION_NUMBERS LAUNCHER_PRODUCT_VERSION
        "${product_version}")

    set(internal_name "${LAUNCHER_INTERNAL_NAME}")
    if(internal_name STREQUAL "")
        set(internal_name "${name}")
    endif()
    set(original_filename "${LAUNCHER_ORIGINAL_FILENAME}")
    if(original_filename STREQUAL "")
        set(original_filename "${name}.exe")
    endif()

    # The StringFileInfo rows in the order Windows' file properties show them; an
    # empty optional field is left out rather than stored empty.
    set(LAUNCHER_RC_STRING_VALUES "")
    launcher_rc_value(CompanyName LAUNCHER_COMPANY_NAME "${LAUNCHER_COMPANY_NAME}")
    launcher_rc_value(FileDescription LAUNCHER_FILE_DESCRIPTION "${LAUNCHER_FILE_DESCRIPTION}")
    launcher_rc_value(FileVersion LAUNCHER_FILE_VERSION "${file_version}")
    launcher_rc_value(InternalName LAUNCHER_INTERNAL_NAME "${internal_name}")
    launcher_rc_value(LegalCopyright LAUNCHER_LEGAL_COPYRIGHT "${LAUNCHER_LEGAL_COPYRIGHT}")
    launcher_rc_value(OriginalFilename LAUNCHER_ORIGINAL_FILENAME "${original_filename}")
    launcher_rc_value(ProductName LAUNCHER_PRODUCT_NAME "${LAUNCHER_PRODUCT_NAME}")
    launcher_rc_value(ProductVersion LAUNCHER_PRODUCT_VERSION "${product_version}")

    set(LAUNCHER_RC_ICON "")
    set(depends "")
    if(NOT LAUNCHER_ICON STREQUAL "")
        get_filename_component(icon "${LAUNCHER_ICON}" ABSOLUTE)
        if(NOT EXISTS "${icon}" OR IS_DIRECTORY "${icon}")
            message(FATAL_ERROR "LAUNCHER_ICON names ${icon}, which is not a file")
        endif()
        # An .ico starts with a reserved zero, type 1 and at least one image.
        file(READ "${icon}" header LIMIT 6 HEX)
        if(NOT header MATCHES "^00000100" OR header MATCHES "0000$")
            message(FATAL_ERROR "LAUNCHER_ICON names ${icon}, which is not an .ico file")
        endif()
        launcher_rc_string(quoted LAUNCHER_ICON "${icon}")
        # Explorer shows the icon group of the lowest number; the dialogs' icon
        # (32513) stays the system's.
        set(LAUNCHER_RC_ICON "1 ICON ${quoted}")
        set(depends "${icon}")
    endif()

    set(generated "${CMAKE_CURRENT_BINARY_DIR}/identity/${target}")
    configure_file("${CMAKE_CURRENT_SOURCE_DIR}/ui/launcher_identity.rc.in"
        "${generated}/launcher_identity.rc" @ONLY)
    target_include_directories(${target} PRIVATE "${generated}")
    # windres reports the files the preprocessor includes, not the icon it embeds;
    # each launcher's copy of launcher.rc depends on its own identity.
    set_property(SOURCE "${CMAKE_CURRENT_SOURCE_DIR}/ui/launcher.rc" APPEND PROPERTY
        OBJECT_DEPENDS "${generated}/launcher_identity.rc;${depends}")
endfunction()
