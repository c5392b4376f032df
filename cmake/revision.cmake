# Writes REVISION_FILE with the first eight hex digits of the checked-out commit,
# "00000000" outside git; the file is only touched when the revision changes.
execute_process(COMMAND git -C "${SOURCE_DIR}" rev-parse HEAD
    OUTPUT_VARIABLE rev RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
string(TOLOWER "${rev}" rev)
if(NOT rc EQUAL 0 OR NOT rev MATCHES "^[0-9a-f]+$")
    set(rev "00000000")
endif()
string(SUBSTRING "${rev}0000000" 0 8 rev)
include(${CMAKE_CURRENT_LIST_DIR}/writeifchanged.cmake)
write_if_changed("${REVISION_FILE}" "#pragma once\n#define ZANDOR_REVISION \"${rev}\"\n")
