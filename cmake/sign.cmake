# Signs one executable in place with Authenticode, SHA-256, for the staging
# of a setup folder:
#
#   cmake -DFILE=<exe> -DPFX=<certificate.pfx> -DDESCRIPTION=<text>
#         [-DPASSWORD_FILE=<file>] [-DTIMESTAMP_URL=<url>] -P sign.cmake
#
# The certificate's password is read from PASSWORD_FILE when one is given,
# else from the environment variable BRINDLECAST_SIGN_PASSWORD at build time.
# It reaches osslsigncode in a file of this build, readable by its owner only
# and removed afterwards, never on a command line.
find_program(OSSLSIGNCODE osslsigncode)
if(NOT OSSLSIGNCODE)
  message(FATAL_ERROR "Signing needs osslsigncode (scripts/install-deps.sh installs it).")
endif()
if(NOT EXISTS "${PFX}")
  message(FATAL_ERROR "The code-signing certificate ${PFX} does not exist.")
endif()

set(secret "${FILE}.password")
if(PASSWORD_FILE)
  file(READ "${PASSWORD_FILE}" password)
elseif(DEFINED ENV{BRINDLECAST_SIGN_PASSWORD})
  set(password "$ENV{BRINDLECAST_SIGN_PASSWORD}")
else()
  message(FATAL_ERROR "No password for ${PFX}: set BRINDLECAST_SIGN_PASSWORD or the SIGN_PASSWORD option.")
endif()
file(WRITE "${secret}" "")
file(CHMOD "${secret}" PERMISSIONS OWNER_READ OWNER_WRITE)
file(WRITE "${secret}" "${password}")

set(timestamp)
if(TIMESTAMP_URL)
  set(timestamp -ts "${TIMESTAMP_URL}")
endif()
execute_process(
  COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${PFX}" -readpass "${secret}" -h sha256 -n "${DESCRIPTION}"
          ${timestamp} -in "${FILE}" -out "${FILE}.signed"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REMOVE "${secret}")
if(NOT result EQUAL 0)
  file(REMOVE "${FILE}.signed")
  message(FATAL_ERROR "Signing ${FILE} failed:\n${output}")
endif()
file(RENAME "${FILE}.signed" "${FILE}")
