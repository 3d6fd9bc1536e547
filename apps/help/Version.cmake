# Writes Version.h with the project's version and the checkout's revision, touching it only when they change,
# so that every build names the revision it was built from and nothing rebuilds for nothing.
execute_process(COMMAND git rev-parse --short HEAD WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE REVISION OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE FAILED)
if(FAILED)
    set(REVISION "")
endif()
set(CONTENT "#pragma once\n#define VANTOREL_VERSION \"${VERSION}\"\n#define VANTOREL_REVISION \"${REVISION}\"\n")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} OLD)
endif()
if(NOT "${OLD}" STREQUAL "${CONTENT}")
    file(WRITE ${OUTPUT} "${CONTENT}")
endif()
