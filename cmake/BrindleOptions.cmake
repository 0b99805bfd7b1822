# One INTERFACE target carries the language level and the warning flags for every target of
# the project; the switches below turn warnings into errors and add the sanitizers.
option(BRINDLE_WERROR "Treat compiler warnings as errors" OFF)
option(BRINDLE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(brindle_options INTERFACE)
target_compile_features(brindle_options INTERFACE cxx_std_20)
target_compile_options(brindle_options INTERFACE -Wall -Wextra -Wpedantic)
if(BRINDLE_WERROR)
    target_compile_options(brindle_options INTERFACE -Werror)
endif()
if(BRINDLE_SANITIZE)
    target_compile_options(brindle_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all
                                                     -fno-omit-frame-pointer)
    target_link_options(brindle_options INTERFACE -fsanitize=address,undefined)
endif()

# Debian's hardening flags (dpkg-buildflags with every hardening feature: fortified functions,
# the stack protector, read-only relocations and immediate binding) for the code that ships, in
# every build but a Debug one, as the package is built; only the hardening part of them, so the
# project's own optimisation and warning flags stay as they are. brindle_harden_shipped_targets()
# gives them to the libraries and programs that ship; the tests' own code is left as it is.
option(BRINDLE_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
find_program(BRINDLE_DPKG_BUILDFLAGS dpkg-buildflags)
add_library(brindle_hardening INTERFACE)
if(BRINDLE_HARDENING AND BRINDLE_DPKG_BUILDFLAGS AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                ${BRINDLE_DPKG_BUILDFLAGS} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        set(BRINDLE_DEB_${kind} ${flags})
    endforeach()
    foreach(flag IN LISTS BRINDLE_DEB_CPPFLAGS BRINDLE_DEB_CXXFLAGS)
        if(flag MATCHES "^-D_FORTIFY_SOURCE|^-fstack-|^-fcf-protection|^-Wformat|^-Werror=format-security")
            target_compile_options(brindle_hardening INTERFACE ${flag})
        endif()
    endforeach()
    foreach(flag IN LISTS BRINDLE_DEB_LDFLAGS)
        if(flag MATCHES "^-Wl,-z,")
            target_link_options(brindle_hardening INTERFACE ${flag})
        endif()
    endforeach()
endif()

function(brindle_harden_shipped_targets)
    foreach(target brindle_core brindlewick_facts brindle_cli brindlewick-cli brindle_gui brindlewick)
        if(TARGET ${target})
            target_link_libraries(${target} PRIVATE brindle_hardening)
        endif()
    endforeach()
endfunction()
