# Warnings are errors everywhere in the project.
function(tavoni_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# Game logic must compute the same doubles in every build type, so replays made by one build play back
# identically in another.
function(tavoni_determinism target)
    target_compile_options(${target} PRIVATE -ffp-contract=off -fno-fast-math)
endfunction()
