# Warnings are errors everywhere in the project.
function(tavoni_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # GCC 12 reports impossible overlaps inside std::string's operator+ at -O2 and above (its bug
        # 105329); the warning says nothing about our code there.
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()

# Game logic must compute the same doubles in every build type, so replays made by one build play back
# identically in another.
function(tavoni_determinism target)
    target_compile_options(${target} PRIVATE -ffp-contract=off -fno-fast-math)
endfunction()
