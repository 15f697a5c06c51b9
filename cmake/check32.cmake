# The 32-bit layout check (target check32): every source of the library, the
# runtime and the air library compiled (not linked) with -m32, so that a
# record whose size or offsets differ on 32-bit x86 fails to compile.
#
# One command per source, so that a parallel build checks two at a time and
# a second run checks again only what changed.  Every source reads the public
# headers, which are most of its compile time: they are precompiled once for
# the 32-bit target and given to each source first, as the library build
# gives them (tessel_exports.h).  Should the compiler refuse the precompiled
# form, it reads the headers themselves: slower, the same check.
file(GLOB_RECURSE check32_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/runtime/*.cpp ${CMAKE_SOURCE_DIR}/air/src/*.cpp)
file(GLOB_RECURSE check32_headers CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/include/*.h ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/air/*.h)

set(check32_dir ${CMAKE_BINARY_DIR}/check32)
set(check32_flags -m32 -std=c++17 -Wall -Wextra
    -I${CMAKE_SOURCE_DIR}/include -I${CMAKE_SOURCE_DIR}/include/shared/XML -I${CMAKE_SOURCE_DIR}/air/include)
foreach(dir IN LISTS LIBXML2_INCLUDE_DIRS)
  list(APPEND check32_flags -isystem ${dir})
endforeach()

# Every public header (TESSEL_PUBLIC_HEADERS, from package.cmake).
set(check32_header ${check32_dir}/public.h)
set(text "// Generated: every public header, precompiled for the 32-bit check.\n")
foreach(h IN LISTS TESSEL_PUBLIC_HEADERS)
  string(APPEND text "#include \"${h}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${check32_header} CONTENT "${text}")

add_custom_command(
  OUTPUT ${check32_header}.gch
  COMMAND ${CMAKE_CXX_COMPILER} ${check32_flags} -x c++-header ${check32_header} -o ${check32_header}.gch
  DEPENDS ${check32_header} ${check32_headers}
  COMMENT "32-bit check: precompiling the public headers"
  VERBATIM)

set(stamps)
foreach(src IN LISTS check32_sources)
  file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${src})
  set(stamp ${check32_dir}/${name}.ok)
  get_filename_component(stamp_dir ${stamp} DIRECTORY)
  file(MAKE_DIRECTORY ${stamp_dir})
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_CXX_COMPILER} ${check32_flags} -include ${check32_header} -fsyntax-only ${src}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${src} ${check32_header}.gch ${check32_headers}
    COMMENT "32-bit check: ${name}"
    VERBATIM)
  list(APPEND stamps ${stamp})
endforeach()

list(LENGTH check32_sources n)
add_custom_target(check32
  COMMAND ${CMAKE_COMMAND} -E echo "32-bit compile check: ${n} sources"
  DEPENDS ${stamps}
  VERBATIM)
