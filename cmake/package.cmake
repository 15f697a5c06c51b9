# What a host program gets: the two shared libraries with their SONAMEs, the
# public headers, the `tessel` program, a CMake package (find_package(Tessel)
# gives Tessel::Tessel and Tessel::XML_routines) and a pkg-config file.
#
# Exported symbols: the libraries are compiled with hidden visibility, and
# every public header is read first under default visibility (a generated
# header forced into each library source).  So whatever a header under
# include/ declares is exported (entry points, receive hooks, descriptors,
# the runtime interface) and everything declared only inside a source file
# is hidden, with no mark on any declaration: a new header or a new entry
# point in an existing one is exported as it is added.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

file(GLOB_RECURSE TESSEL_PUBLIC_HEADERS CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/include
     ${CMAKE_SOURCE_DIR}/include/*.h)
list(SORT TESSEL_PUBLIC_HEADERS)
set(exports "// Generated: every public header, declared with default visibility.\n")
string(APPEND exports "#pragma GCC visibility push(default)\n")
foreach(h IN LISTS TESSEL_PUBLIC_HEADERS)
  string(APPEND exports "#include \"${h}\"\n")
endforeach()
string(APPEND exports "#pragma GCC visibility pop\n")
set(TESSEL_EXPORTS_HEADER ${CMAKE_BINARY_DIR}/generated/tessel_exports.h)
file(CONFIGURE OUTPUT ${TESSEL_EXPORTS_HEADER} CONTENT "${exports}")

foreach(lib Tessel XML_routines)
  set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  # Forced into every source as its precompiled header: parsed once a library.
  target_precompile_headers(${lib} PRIVATE ${TESSEL_EXPORTS_HEADER})
  target_include_directories(${lib} PUBLIC $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/tessel>
                                           $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/tessel/shared/XML>)
  set_target_properties(${lib} PROPERTIES EXPORT_NAME ${lib})
endforeach()

# The copies of the descriptor templates made for the library's own record
# types stay inside it.
target_link_options(Tessel PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/libTessel.map)
set_property(TARGET Tessel APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/libTessel.map)

# Pointers in the descriptor tables are relocated at every load: packed
# relative relocations (a bitmap instead of 24 octets each) keep that small.
#
# The typed faces of the engine (a descriptor's hooks, an accessor's
# reads and writes, the thunks of table rows) compile to the same
# instructions for most record types: in the optimised builds, lld keeps
# one copy of each function body (identical code folding; a quarter of the
# library's code).  Nothing in the libraries tells two functions apart by
# their address, and the states of the SmartZone assemblers, which are
# compared, differ in code.  Without lld the libraries link as the other
# builds do.
# lld 16 is the first of Debian's to pack relative relocations the way the
# C library requires (marked by a version dependency); g++ finds it as
# ld.lld in its directory.
include(CheckLinkerFlag)
find_program(TESSEL_LLD_16 NAMES ld.lld PATHS /usr/lib/llvm-16/bin NO_DEFAULT_PATH)
if(TESSEL_LLD_16 AND CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel)$")
  get_filename_component(lld_directory ${TESSEL_LLD_16} DIRECTORY)
  foreach(library Tessel XML_routines)
    target_compile_options(${library} PRIVATE -ffunction-sections)
    target_link_options(${library} PRIVATE -B${lld_directory} -fuse-ld=lld -Wl,--icf=all -Wl,-z,pack-relative-relocs)
  endforeach()
else()
  check_linker_flag(CXX -Wl,-z,pack-relative-relocs TESSEL_LIBRARY_RELR)
  if(TESSEL_LIBRARY_RELR)
    target_link_options(Tessel PRIVATE -Wl,-z,pack-relative-relocs)
    target_link_options(XML_routines PRIVATE -Wl,-z,pack-relative-relocs)
  endif()
endif()

# Installed, libTessel finds libXML_routines beside itself, and a program
# linked through tessel.pc finds both through the run path the .pc gives.
set_target_properties(Tessel XML_routines PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS Tessel XML_routines EXPORT TesselTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessel
        FILES_MATCHING PATTERN "*.h")

set(TESSEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessel)
install(EXPORT TesselTargets NAMESPACE Tessel:: DESTINATION ${TESSEL_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/TesselConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/generated/TesselConfig.cmake INSTALL_DESTINATION ${TESSEL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/generated/TesselConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/generated/TesselConfig.cmake ${CMAKE_BINARY_DIR}/generated/TesselConfigVersion.cmake
        DESTINATION ${TESSEL_CMAKE_DIR})

configure_file(${CMAKE_SOURCE_DIR}/cmake/tessel.pc.in ${CMAKE_BINARY_DIR}/generated/tessel.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/generated/tessel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
