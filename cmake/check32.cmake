# Compiles each library source for 32-bit x86 (objects are discarded).
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/runtime/*.cpp)
set(failed 0)
foreach(src IN LISTS sources)
  execute_process(
    COMMAND ${CXX} -m32 -std=c++17 -Wall -Wextra -fsyntax-only
            -I${SOURCE_DIR}/include -I${SOURCE_DIR}/include/shared/XML -I${INCLUDES} ${src}
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "32-bit compile failed: ${src}")
    set(failed 1)
  endif()
endforeach()
list(LENGTH sources n)
if(failed)
  message(FATAL_ERROR "32-bit compile check failed")
endif()
message(STATUS "32-bit compile check: ${n} sources")
