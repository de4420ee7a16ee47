# The layers as the build enforces them. For every library of src/ (each
# described by a layers/<library>.layer file the configuration writes: the
# folders it sees, its own last):
# - a header of every folder it does not see must be missing from its
#   include folder: a probe that includes one fails to compile, on exactly
#   that header;
# - every quoted include of its own sources names a folder it sees, so that
#   no relative path ("../core/...") climbs around the include folder.
#
#   cmake -DCXX=<compiler> -DBINARY_DIR=<build> -DSOURCE_DIR=<src> -P layers.cmake

cmake_minimum_required(VERSION 3.25)

file(GLOB layer_files ${BINARY_DIR}/layers/*.layer)
list(LENGTH layer_files layer_count)
if(layer_count LESS 5)
  message(FATAL_ERROR "only ${layer_count} layers described in ${BINARY_DIR}/layers")
endif()

# Every folder of src/ that holds headers, and one header of each.
file(GLOB_RECURSE all_headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h)
set(folders "")
foreach(header IN LISTS all_headers)
  get_filename_component(folder ${header} DIRECTORY)
  if(NOT folder IN_LIST folders)
    list(APPEND folders ${folder})
    set(sample_${folder} ${header})
  endif()
endforeach()

set(probe_dir ${BINARY_DIR}/layer-probes)
file(MAKE_DIRECTORY ${probe_dir})
set(refused 0)
foreach(layer_file IN LISTS layer_files)
  get_filename_component(layer ${layer_file} NAME_WE)
  file(READ ${layer_file} sees)
  string(STRIP "${sees}" sees)
  list(GET sees -1 own)

  foreach(folder IN LISTS folders)
    if(folder IN_LIST sees)
      continue()
    endif()
    set(header ${sample_${folder}})
    set(probe ${probe_dir}/${layer}.cpp)
    file(WRITE ${probe} "#include \"${header}\"\n")
    execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only -I${BINARY_DIR}/layers/${layer} ${probe}
                    RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
    if(status EQUAL 0)
      message(FATAL_ERROR "${layer} can include ${header}, a header of a layer it must not see")
    endif()
    string(FIND "${errors}" "${header}" named)
    if(named EQUAL -1)
      message(FATAL_ERROR "the probe of ${layer} failed, but not on ${header}:\n${errors}")
    endif()
    math(EXPR refused "${refused} + 1")
  endforeach()

  file(GLOB sources ${SOURCE_DIR}/${own}/*.cpp ${SOURCE_DIR}/${own}/*.h)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" included "${line}")
      get_filename_component(included_folder ${included} DIRECTORY)
      if(NOT included_folder IN_LIST sees)
        message(FATAL_ERROR "${source} includes \"${included}\", outside the folders ${layer} sees (${sees})")
      endif()
    endforeach()
  endforeach()
endforeach()
message(STATUS "${layer_count} layers; ${refused} includes that climb refused")
