# Fails the build when License.txt does not add up to the byte sum the
# program checks at start-up, or is larger than it accepts:
#
#   cmake -DLICENSE=<License.txt> -DFACTS=<product.cmake> -P check-license.cmake
#
# Facts whose numbers cannot be read fail it too: a check that finds nothing
# to compare with must not pass.
cmake_minimum_required(VERSION 3.20)
include("${FACTS}")
foreach(name AGREEMENT_SUM AGREEMENT_MAX)
  if(NOT "${${name}}" MATCHES "^[0-9]+$")
    message(FATAL_ERROR "${FACTS} sets no ${name} as a number: License.txt cannot be checked.")
  endif()
endforeach()

file(READ "${LICENSE}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size GREATER AGREEMENT_MAX)
  message(FATAL_ERROR "${LICENSE} has ${size} bytes; the setup accepts at most ${AGREEMENT_MAX}.")
endif()
string(REGEX MATCHALL ".." bytes "${hex}")
set(sum 0)
foreach(byte IN LISTS bytes)
  math(EXPR sum "${sum} + 0x${byte}")
endforeach()
if(NOT sum EQUAL AGREEMENT_SUM)
  message(FATAL_ERROR "${LICENSE} sums to ${sum}, but the setup expects ${AGREEMENT_SUM} (AGREEMENT_SUM).")
endif()
