# expat, the XML parser the VOTable reader streams through, as EXPAT::EXPAT.
#
# On Linux, the system's own (Debian's libexpat1-dev). For Windows, a static
# library compiled here from Debian's expat source package, Debian's patches
# applied: 'scripts/setup-debian windows' unpacks it into build/sources/expat,
# so that the .exe files carry the parser the Linux build links, its fixes
# included, and the zip ships nothing more.
if(WIN32)
  set(celestra_expat_default ${PROJECT_SOURCE_DIR}/build/sources/expat)
else()
  set(celestra_expat_default "")
endif()
set(CELESTRA_EXPAT_SOURCE ${celestra_expat_default} CACHE PATH
    "expat's unpacked source package, compiled into a static library; empty for the system's expat")

if(CELESTRA_EXPAT_SOURCE AND EXISTS ${CELESTRA_EXPAT_SOURCE}/expat/lib/xmlparse.c)
  enable_language(C)
  set(expat_lib ${CELESTRA_EXPAT_SOURCE}/expat/lib)
  set(expat_build ${PROJECT_BINARY_DIR}/expat)
  # The three files of the library with the settings Debian's own build
  # makes them with (its configure script): DTDs and namespaces read, 1 KiB
  # of context kept, and so the entity expansion limits that come with DTDs.
  # Not expat's CMake build: its configuration header defines XML_DTD empty,
  # where the patches Debian carries test XML_DTD == 1.
  if(CMAKE_C_BYTE_ORDER STREQUAL "BIG_ENDIAN")
    set(expat_byte_order 4321)
  else()
    set(expat_byte_order 1234)
  endif()
  set(expat_entropy "")
  if(NOT WIN32)
    set(expat_entropy "#define XML_DEV_URANDOM 1")  # Windows has rand_s, which expat takes by itself
  endif()
  file(CONFIGURE OUTPUT ${expat_build}/config/expat_config.h CONTENT [[
#ifndef EXPAT_CONFIG_H
#define EXPAT_CONFIG_H 1
#define BYTEORDER @expat_byte_order@
#define XML_CONTEXT_BYTES 1024
#define XML_DTD 1
#define XML_NS 1
@expat_entropy@
#endif
]] @ONLY)
  # The two public headers alone in the include folder of those who link it.
  configure_file(${expat_lib}/expat.h ${expat_build}/include/expat.h COPYONLY)
  configure_file(${expat_lib}/expat_external.h ${expat_build}/include/expat_external.h COPYONLY)
  add_library(celestra_expat STATIC ${expat_lib}/xmlparse.c ${expat_lib}/xmlrole.c ${expat_lib}/xmltok.c)
  target_include_directories(celestra_expat PRIVATE ${expat_build}/config ${expat_lib}
                             PUBLIC ${expat_build}/include)
  # The functions are a static library's, not a DLL's.
  target_compile_definitions(celestra_expat PUBLIC XML_STATIC)
  add_library(EXPAT::EXPAT ALIAS celestra_expat)
  # Its licence asks for its notice with every copy: the Windows zip's
  # LEEME.txt ends with it.
  file(READ ${CELESTRA_EXPAT_SOURCE}/expat/COPYING CELESTRA_EXPAT_NOTICE)
  string(STRIP "${CELESTRA_EXPAT_NOTICE}" CELESTRA_EXPAT_NOTICE)
  string(REPLACE "\n" "\r\n" CELESTRA_EXPAT_NOTICE "${CELESTRA_EXPAT_NOTICE}")  # as the LEEME's own lines
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CELESTRA_EXPAT_SOURCE}/expat/COPYING)
elseif(CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "No expat sources in ${CELESTRA_EXPAT_SOURCE}: run 'scripts/setup-debian windows' "
                      "(or give CELESTRA_EXPAT_SOURCE)")
else()
  find_package(EXPAT REQUIRED)
endif()
