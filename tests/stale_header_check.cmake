# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Applies the stb patches to copies of Debian's headers in which one line that
# a patch changes has been altered, as a newer header would alter it; the patch
# step must stop, naming the patch and the header, instead of making a partly
# patched copy. One case per header.
#   cmake -DPATCHES=dir -DWORK=dir -DSCRIPT=apply_patches.cmake -P stale_header_check.cmake
function(expect_refused header line patch)
    set(work ${WORK}/${header})
    file(REMOVE_RECURSE ${work})
    file(MAKE_DIRECTORY ${work}/source)
    file(COPY /usr/include/stb/stb_image.h /usr/include/stb/stb_image_write.h DESTINATION ${work}/source)
    file(READ /usr/include/stb/${header} text)
    string(REPLACE "${line}" "${line} /* changed upstream */" stale "${text}")
    if(stale STREQUAL text)
        message(FATAL_ERROR "the line to alter is not in ${header} any more: ${line}")
    endif()
    file(WRITE ${work}/source/${header} "${stale}")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -DSOURCE=${work}/source -DPATCHES=${PATCHES} -DOUT=${work}/stb -P ${SCRIPT}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    # CMake wraps a long message at any space.
    string(REGEX REPLACE "[ \n]+" " " flat "${output}")
    if(status EQUAL 0 OR NOT flat MATCHES "${patch} no longer applies to [^ ]*/source/${header}:")
        message(FATAL_ERROR "a stale ${header} was not refused by ${patch} (status ${status}):\n${output}")
    endif()
    if(EXISTS ${work}/stb)
        message(FATAL_ERROR "a partly patched copy was left in ${work}/stb")
    endif()
    message(STATUS "stale ${header} refused: ${output}")
endfunction()

expect_refused(stb_image.h "STBI_NOTUSED(len);" stb-1861-png-palette-index-past-plte.patch)
expect_refused(stb_image_write.h "for(y = 0; y < height; y += 16) {" jpeg-writer-stop-at-mcu-row.patch)
