# cmake -DZIP=... -DOBJDUMP=... -DCONTENTS=<empty folder> -P CheckPackage.cmake
# Passes when the Windows release zip holds the four shipping files at its root and nothing else,
# INSTALL.txt has Windows line endings throughout, and the module exports xImportEntry alone.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${CONTENTS} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES true RELATIVE ${CONTENTS} ${CONTENTS}/*)
list(SORT found)
set(expected INSTALL.txt KRVXDecoder.dll KRVX_AVI_ImporterCS5_32.prm krvx-host.exe)
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "${ZIP} holds '${found}', expected '${expected}'")
endif()

# Read as bytes (a text read drops the carriage returns), one hex pair per byte after a space.
file(READ ${CONTENTS}/INSTALL.txt hex HEX)
string(REGEX REPLACE "(..)" " \\1" bytes "${hex}")
string(REGEX MATCHALL " 0a" line_feeds "${bytes}")
string(REGEX MATCHALL " 0d 0a" line_ends "${bytes}")
list(LENGTH line_feeds feeds)
list(LENGTH line_ends crlf)
if(feeds EQUAL 0 OR NOT feeds EQUAL crlf)
  message(FATAL_ERROR "INSTALL.txt in ${ZIP}: ${crlf} of its ${feeds} lines end in CR LF")
endif()

set(MODULE ${CONTENTS}/KRVX_AVI_ImporterCS5_32.prm)
include(${CMAKE_CURRENT_LIST_DIR}/CheckExports.cmake)
message(STATUS "${ZIP} holds the four shipping files")
