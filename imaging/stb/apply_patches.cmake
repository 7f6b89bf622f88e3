# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Copies Debian's stb headers into OUT and applies the patches listed in
# PATCHES/series to the copy, in order. The installed headers are never
# changed. A patch that no longer applies exactly stops the build here, naming
# the patch and its header, rather than letting it go on with an unpatched
# decoder or encoder. LEAVE_OUT, a comma-separated list of patch names, skips
# those patches: the reference copy that the differential fuzz target compares
# the decoder's speed patches against.
#   cmake -DSOURCE=/usr/include/stb -DPATCHES=dir -DOUT=dir [-DLEAVE_OUT=a.patch,b.patch] -P apply_patches.cmake
foreach(var SOURCE PATCHES OUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "apply_patches.cmake needs -D${var}=...")
    endif()
endforeach()

find_program(PATCH_PROGRAM patch)
if(NOT PATCH_PROGRAM)
    message(FATAL_ERROR "the program 'patch' is missing: run scripts/setup.sh")
endif()

set(work ${OUT}.new)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
file(COPY ${SOURCE}/stb_image.h ${SOURCE}/stb_image_write.h DESTINATION ${work})

file(STRINGS ${PATCHES}/series names REGEX "^[^#]")
if(DEFINED LEAVE_OUT)
    string(REPLACE "," ";" left_out "${LEAVE_OUT}")
    foreach(name IN LISTS left_out)
        list(FIND names "${name}" index)
        if(index LESS 0)
            message(FATAL_ERROR "stb patch ${name} is to be left out but is not in the series")
        endif()
    endforeach()
    list(REMOVE_ITEM names ${left_out})
endif()
foreach(name IN LISTS names)
    execute_process(
        COMMAND ${PATCH_PROGRAM} -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch -r - -i ${PATCHES}/${name}
        WORKING_DIRECTORY ${work}
        RESULT_VARIABLE status
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        # The header the patch changes, from its own "+++ b/<header>" line.
        file(STRINGS ${PATCHES}/${name} targets REGEX "^\\+\\+\\+ b/")
        list(TRANSFORM targets REPLACE "^\\+\\+\\+ b/([^\t ]+).*" "${SOURCE}/\\1")
        list(REMOVE_DUPLICATES targets)
        list(JOIN targets ", " headers)
        message(FATAL_ERROR "stb patch ${name} no longer applies to ${headers}:\n${output}")
    endif()
endforeach()

file(REMOVE_RECURSE ${OUT})
file(RENAME ${work} ${OUT})
