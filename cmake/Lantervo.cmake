# Shared build settings and helpers for every layer.

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                          WINVER=0x0601)
  set(LANTERVO_PLATFORM_DIR win32)
  # Lantervo.exe carries only the code it calls: the linker drops unused functions and data of
  # every library linked in statically (half the size it had without).
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
else()
  set(LANTERVO_PLATFORM_DIR posix)
endif()

add_library(lantervo_options INTERFACE)
target_include_directories(lantervo_options INTERFACE ${PROJECT_SOURCE_DIR}
                                                     ${PROJECT_BINARY_DIR}/generated)
# The program's version and main window class, from project(VERSION).
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/lantervo/version.h @ONLY)
# Designated initializers leave fields out on purpose.
target_compile_options(lantervo_options INTERFACE -Wall -Wextra -Wno-unused-parameter
                       -Wno-missing-field-initializers)
if(LANTERVO_WERROR)
  target_compile_options(lantervo_options INTERFACE -Werror)
endif()
find_package(Threads REQUIRED)
target_link_libraries(lantervo_options INTERFACE Threads::Threads)

if(LANTERVO_SANITIZE)
  add_compile_options(-fsanitize=${LANTERVO_SANITIZE} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${LANTERVO_SANITIZE})
endif()
if(LANTERVO_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# lantervo_library(NAME SOURCES... [LIBS ...]): one layer library.
function(lantervo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC lantervo_options ${ARG_LIBS})
endfunction()

# lantervo_test(NAME SOURCES... [LIBS ...]): one GoogleTest binary registered as one CTest test.
# Each run leaves a JUnit-style report in test-results/, which scripts/test counts.
function(lantervo_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE lantervo_options ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(WIN32)
    set(report "Z:${CMAKE_BINARY_DIR}/test-results/${name}.xml")
  else()
    set(report "${CMAKE_BINARY_DIR}/test-results/${name}.xml")
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${report}
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

# lantervo_fuzzer(NAME SOURCES... [LIBS ...]): a libFuzzer target.
function(lantervo_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE lantervo_options ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
