# cmake -DOUTPUT=<file.cpp> -DBASE=<folder> -DFILES=<a;b;...> -P EmbedFiles.cmake
# Writes a C++ source that holds the given files (paths relative to BASE) as byte arrays, for
# adnetwork/EmbeddedFiles.cpp to look up by path. Each array ends in an extra zero byte, so that
# an empty file still makes a valid array.
set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS FILES)
  file(READ "${BASE}/${name}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "const unsigned char kFile${index}[] = {\n    ${bytes}0x00};\n")
  string(APPEND entries "    {\"${name}\", kFile${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Written by adnetwork/EmbedFiles.cmake at build time; do not edit.
#include \"adnetwork/EmbeddedFiles.h\"

namespace adnetwork::detail {
namespace {
${arrays}}  // namespace

const EmbeddedEntry kEmbeddedEntries[] = {
${entries}};
const size_t kEmbeddedEntryCount = ${index};

}  // namespace adnetwork::detail
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
