# The Windows zip, the same bytes from every build of one commit: the .exe
# files stripped, their entries in a fixed (sorted) order and all dated
# alike, by SOURCE_DATE_EPOCH when it is set (the Makefile sets the
# commit's), else by a fixed date. strip writes that date into each .exe's
# header too: it stamps a PE file it rewrites with SOURCE_DATE_EPOCH, or
# with the time of the build when that is unset.
#
# windows_zip.py writes the zip: "cmake -E tar" takes a date for the
# entries' modification time only, and adds each file's access and change
# times (which no build can fix) and its owner. Without Python the zip is
# made that way all the same, with a warning.
#
#   cmake -DFOLDER=<folder to pack> -DZIP=<zip file> -DSTRIP=<strip>
#         [-DPYTHON=<python3>] -P windows_zip.cmake
#
# The folder's name is the zip's top folder.

cmake_minimum_required(VERSION 3.25)

if(NOT FOLDER OR NOT ZIP OR NOT STRIP)
  message(FATAL_ERROR "FOLDER, ZIP and STRIP are required")
endif()

if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} 1111363200)  # 21/03/2005 00:00 UTC
endif()
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH.
string(TIMESTAMP date "%Y-%m-%d %H:%M:%S UTC" UTC)

file(GLOB programs ${FOLDER}/*.exe)
foreach(program IN LISTS programs)
  execute_process(COMMAND ${STRIP} ${program} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} could not be stripped")
  endif()
endforeach()

get_filename_component(parent ${FOLDER} DIRECTORY)
# Files only: the archive adds a folder's files in the order the file
# system lists them, which differs between two build folders.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${parent} ${FOLDER}/*)
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "nothing to pack in ${FOLDER}")
endif()
if(PYTHON)
  execute_process(COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/windows_zip.py ${ZIP} ${parent}
                          $ENV{SOURCE_DATE_EPOCH} ${files} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "the zip ${ZIP} could not be made")
  endif()
  return()
endif()

message(WARNING "no Python 3: the zip's entries carry this build's access and change times")
list(JOIN files "\n" listed)
set(list_file ${ZIP}.files)
file(WRITE ${list_file} "${listed}\n")

file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip "--mtime=${date}"
          --files-from=${list_file}
  WORKING_DIRECTORY ${parent}
  RESULT_VARIABLE status)
file(REMOVE ${list_file})
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the zip ${ZIP} could not be made")
endif()
