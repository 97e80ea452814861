# cmake -DOUTPUT=file.cpp -DSYMBOL=name -DFILES="a.png;b.png" -P EmbedFiles.cmake
# Writes a C++ source defining `extern const std::string_view SYMBOL[N]` with the bytes of each file, in order.
set(body "// Made by cmake/EmbedFiles.cmake from the game's data; do not edit.\n#include <string_view>\n\n")
list(LENGTH FILES count)
string(APPEND body "extern const std::string_view ${SYMBOL}[${count}];\nconst std::string_view ${SYMBOL}[${count}] = {\n")
foreach(file IN LISTS FILES)
    file(READ "${file}" hex HEX)
    file(SIZE "${file}" size)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
    string(APPEND body "    std::string_view(\"${escaped}\", ${size}),\n")
endforeach()
string(APPEND body "};\n")
file(WRITE "${OUTPUT}" "${body}")
