# TAVONI_FUZZ: a Clang build of the libFuzzer targets in tests/fuzz only. Every library they link is
# compiled with the fuzzer's coverage and with AddressSanitizer and UndefinedBehaviorSanitizer, so a fault
# in the parsers stops the fuzzer wherever it happens.
option(TAVONI_FUZZ "Build only the libFuzzer targets and the libraries they link (Clang)" OFF)
if(TAVONI_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TAVONI_FUZZ needs Clang (cmake --preset fuzz)")
    endif()
    if(TAVONI_SANITIZE)
        message(FATAL_ERROR "TAVONI_FUZZ brings its own sanitizers; leave TAVONI_SANITIZE off")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
