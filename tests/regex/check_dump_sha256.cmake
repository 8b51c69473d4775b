# Runs unicode-dump into a file and compares the file's SHA-256 with the value
# checked in beside this script (tools/unicode/check_unicode_dump.mjs derives
# that value from the Unicode data; see README.md).
#
# cmake -DDUMP=<exe> [-DEMULATOR=<cmd|args...>] -DOUTPUT=<file> -DEXPECTED_FILE=<file> -P ...
foreach(var DUMP OUTPUT EXPECTED_FILE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
# The emulator may be a command with arguments; "|" stands for ";" here.
string(REPLACE "|" ";" emulator "${EMULATOR}")

file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND ${emulator} "${DUMP}"
  OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "unicode-dump failed: ${result}")
endif()

file(SHA256 "${OUTPUT}" actual)
file(READ "${EXPECTED_FILE}" expected)
string(STRIP "${expected}" expected)
if(NOT actual STREQUAL expected)
  file(SIZE "${OUTPUT}" size)
  message(FATAL_ERROR "SHA-256 of ${OUTPUT} (${size} bytes) is\n  ${actual}\nexpected\n  ${expected}\n"
                      "Compare the dump with the Unicode data: "
                      "node tools/unicode/check_unicode_dump.mjs ${OUTPUT}")
endif()
message(STATUS "unicode-dump output matches SHA-256 ${expected}")
