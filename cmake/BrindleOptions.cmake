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
