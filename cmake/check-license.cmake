# Fails the build when License.txt does not add up to the byte sum the
# program checks at start-up, or is larger than it accepts. A header whose
# numbers can no longer be read fails it too: a check that finds nothing to
# compare with must not pass.
file(READ "${HEADER}" header)
foreach(name AGREEMENT_SUM AGREEMENT_MAX)
  if(NOT header MATCHES "#define ${name} ([0-9]+)")
    message(FATAL_ERROR "${HEADER} defines no ${name} as a number: License.txt cannot be checked.")
  endif()
  set(${name} "${CMAKE_MATCH_1}")
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
