# Settings shared by every target of ours.

# Debian's JUCE decodes images with the system's libraries.
pkg_check_modules(QUORVANELLE_IMAGE_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg zlib)

# Module switches: the same everywhere, so every target sees one configuration of JUCE.
set(QUORVANELLE_JUCE_DEFINITIONS
    JUCE_USE_FLAC=0
    JUCE_USE_OGGVORBIS=0
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0)

if(QUORVANELLE_SANITIZE)
    string(REPLACE ";" "," _quorvanelle_sanitizers "${QUORVANELLE_SANITIZE}")
    add_compile_options(-fsanitize=${_quorvanelle_sanitizers} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${_quorvanelle_sanitizers})
endif()

# clang links its sanitizer runtimes into executables only: a sanitized plug-in module takes them from
# the sanitized executable that loads it, so it must be allowed to leave their symbols undefined.
function(quorvanelle_sanitized_modules)
    if(QUORVANELLE_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        foreach(target IN LISTS ARGN)
            if(TARGET ${target})
                target_link_options(${target} PRIVATE LINKER:-z,undefs)
            endif()
        endforeach()
    endif()
endfunction()

# Our own code: the framework's recommended warnings.
function(quorvanelle_own_code target)
    target_link_libraries(${target} PRIVATE juce::juce_recommended_warning_flags)
    target_compile_definitions(${target} PRIVATE ${QUORVANELLE_JUCE_DEFINITIONS})
endfunction()

# Compiles JUCE's module code for a target that is no plug-in: tests, benchmarks, tools.
# The modules are linked privately, so their code lives in this one library only.
function(quorvanelle_add_juce_runtime target)
    add_library(${target} STATIC)
    target_link_libraries(${target}
        PRIVATE ${ARGN}
        PUBLIC juce::juce_recommended_config_flags)
    target_compile_definitions(${target} PRIVATE ${QUORVANELLE_JUCE_DEFINITIONS})
    foreach(module IN LISTS ARGN)
        target_include_directories(${target} INTERFACE $<TARGET_PROPERTY:${module},INTERFACE_INCLUDE_DIRECTORIES>)
        target_compile_definitions(${target} INTERFACE $<TARGET_PROPERTY:${module},INTERFACE_COMPILE_DEFINITIONS>)
    endforeach()
    target_compile_definitions(${target} INTERFACE ${QUORVANELLE_JUCE_DEFINITIONS})
    target_link_libraries(${target} PUBLIC PkgConfig::QUORVANELLE_IMAGE_LIBS)
endfunction()
