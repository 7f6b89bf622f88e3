# Applies the decoder patches to a copy of Debian's header in which one line
# that a patch changes has been altered, as a newer header would alter it; the
# patch step must stop with its message instead of making a partly patched copy.
#   cmake -DPATCHES=dir -DWORK=dir -DSCRIPT=apply_patches.cmake -P stale_header_check.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/source)
file(READ /usr/include/stb/stb_image.h header)
string(REPLACE "STBI_NOTUSED(len);" "STBI_NOTUSED(len); /* changed upstream */" stale "${header}")
if(stale STREQUAL header)
    message(FATAL_ERROR "the line to alter is not in the header any more")
endif()
file(WRITE ${WORK}/source/stb_image.h "${stale}")
file(COPY /usr/include/stb/stb_image_write.h DESTINATION ${WORK}/source)
execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/source -DPATCHES=${PATCHES} -DOUT=${WORK}/stb -P ${SCRIPT}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status EQUAL 0 OR NOT output MATCHES "stb-1861-png-palette-index-past-plte.patch no longer applies")
    message(FATAL_ERROR "a stale header was not refused (status ${status}):\n${output}")
endif()
if(EXISTS ${WORK}/stb)
    message(FATAL_ERROR "a partly patched header was left in ${WORK}/stb")
endif()
message(STATUS "stale header refused: ${output}")
