# Turns a file into a C++ source holding its bytes:
#   extern const unsigned char NAME[]; extern const size_t NAME_size;
# Used as a function from CMake lists (the conversion runs at build time, so a file that is
# itself built, such as the reload program, can be embedded), and by itself in script mode:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake

# quorel_embed_file(<output .cpp> <input file> <symbol> [<target>]): adds the rule that writes
# the .cpp whenever the input changes; list the .cpp among a target's sources. For a file that
# a target builds, give the input as $<TARGET_FILE:target> and name the target: it is then built
# first, and the .cpp is made again whenever it is rebuilt.
function(quorel_embed_file output input symbol)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    DEPENDS ${input} ${ARGN} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    COMMENT "Embedding ${symbol}"
    VERBATIM)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED INPUT)
  file(READ ${INPUT} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line.
  string(REPEAT "[0-9a-f]" 32 line)
  string(REGEX REPLACE "(${line})" "\\1\n  " bytes "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  if(size EQUAL 0)
    set(bytes "0")  # an array cannot be empty; the size still says 0
  endif()
  get_filename_component(name ${INPUT} NAME)
  file(WRITE ${OUTPUT}
"// Generated from ${name} by cmake/embed_file.cmake; do not edit.
#include <cstddef>

extern const unsigned char ${SYMBOL}[];
extern const size_t ${SYMBOL}_size;

const unsigned char ${SYMBOL}[] = {
  ${bytes}
};
const size_t ${SYMBOL}_size = ${size};
")
endif()
