# The image library's translation unit (decoder and encoder, nearly all of a
# run's time) is built by clang in every build: clang's code for it runs
# fastest, and the native benchmarks then time the code the Windows program
# ships. Output bytes are the same as g++'s (tests/fitted_hash_test.cpp).
#
# CMake allows one C++ compiler per build, so where the build's compiler is not
# clang the one object is made by a custom command that takes the build type's
# flags and the target's own definitions, include directories and options, so
# that everything set for the target reaches this object too.
#
#   pixelzaun_library_unit(TARGET tgt SOURCE file.cpp [OPTIONS ...] [DEPENDS ...])
#
# OPTIONS are the unit's own flags, for either compiler; DEPENDS names files
# generated in the same folder that the unit includes (headers it includes are
# tracked after the first build through the compiler's dependency file).
find_program(PIXELZAUN_CLANGXX NAMES clang++-14 clang++ REQUIRED)

# Windows: clang for the mingw-w64 target, with the C++ headers of the build's
# own g++ (the same library the rest is compiled and linked against), clang's
# own intrinsics and the mingw-w64 C headers. Never the host's /usr/include.
function(pixelzaun_clang_target_flags out)
    set(flags -march=x86-64)
    if(CMAKE_CROSSCOMPILING)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
            OUTPUT_VARIABLE triple OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        execute_process(COMMAND ${PIXELZAUN_CLANGXX} -print-resource-dir
            OUTPUT_VARIABLE resource_dir OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        set(cxx_dirs "")
        set(c_dirs "")
        foreach(dir IN LISTS CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
            if(dir MATCHES "/c\\+\\+")
                list(APPEND cxx_dirs ${dir})
            elseif(NOT dir MATCHES "/lib/gcc/") # g++'s own intrinsics: clang has its own
                list(APPEND c_dirs ${dir})
            endif()
        endforeach()
        list(APPEND flags --target=${triple} -nostdinc)
        foreach(dir IN LISTS cxx_dirs resource_dir c_dirs)
            if(dir STREQUAL resource_dir)
                set(dir ${dir}/include)
            endif()
            list(APPEND flags -isystem ${dir})
        endforeach()
    endif()
    set(${out} ${flags} PARENT_SCOPE)
endfunction()

function(pixelzaun_library_unit)
    cmake_parse_arguments(PARSE_ARGV 0 unit "" "TARGET;SOURCE" "OPTIONS;DEPENDS")
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        target_sources(${unit_TARGET} PRIVATE ${unit_SOURCE})
        set_source_files_properties(${unit_SOURCE} PROPERTIES COMPILE_OPTIONS "${unit_OPTIONS}")
        return()
    endif()

    get_filename_component(name ${unit_SOURCE} NAME_WE)
    get_filename_component(source ${unit_SOURCE} ABSOLUTE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}.clang${CMAKE_CXX_OUTPUT_EXTENSION})
    string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
    separate_arguments(build_flags UNIX_COMMAND "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${config}}")
    pixelzaun_clang_target_flags(target_flags)
    set(defines "$<TARGET_PROPERTY:${unit_TARGET},COMPILE_DEFINITIONS>")
    set(includes "$<TARGET_PROPERTY:${unit_TARGET},INCLUDE_DIRECTORIES>")
    add_custom_command(OUTPUT ${object}
        COMMAND ${PIXELZAUN_CLANGXX} ${target_flags} ${build_flags}
            "$<$<BOOL:${defines}>:-D$<JOIN:${defines},;-D>>"
            "$<$<BOOL:${includes}>:-I$<JOIN:${includes},;-I>>"
            "$<TARGET_PROPERTY:${unit_TARGET},COMPILE_OPTIONS>" ${unit_OPTIONS}
            -MD -MF ${object}.d -c ${source} -o ${object}
        DEPENDS ${source} ${unit_DEPENDS}
        DEPFILE ${object}.d
        COMMENT "Building CXX object ${name} with ${PIXELZAUN_CLANGXX}"
        COMMAND_EXPAND_LISTS VERBATIM)
    set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${unit_TARGET} PRIVATE ${object})
endfunction()
