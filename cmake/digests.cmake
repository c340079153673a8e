# Writes the SHA-256 digest of each product file staged in a setup folder as
# the table that the folder's own Setup.exe checks every copy against:
#
#   cmake -DFOLDER=<setup folder> -DFILES=<name>,<name>,... -DOUTPUT=<file.cpp> -P digests.cmake
#
# The names are joined with commas: a semicolon would not survive the
# custom command's line.
string(REPLACE "," ";" files "${FILES}")
set(rows "")
foreach(name IN LISTS files)
  if(NOT EXISTS "${FOLDER}/${name}")
    message(FATAL_ERROR "${FOLDER}/${name} is not staged: its digest cannot be recorded.")
  endif()
  file(SHA256 "${FOLDER}/${name}" digest)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${digest}")
  string(APPEND rows "    { \"${name}\", { ${bytes} } },\n")
endforeach()
file(WRITE "${OUTPUT}" "// Made by cmake/digests.cmake from ${FOLDER}: the SHA-256 digest of each product file.
#include \"install/install.h\"

const SHIPPEDDIGEST ShippedDigests[COPIED_FILE_COUNT] = {
${rows}};
")
