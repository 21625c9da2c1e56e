# Shared build settings for every target of the project.

set(KIV_WARNINGS -Wall -Wextra -Wno-missing-field-initializers)

# Every x86-64 processor has SSE2: RapidJSON then skips blanks and scans
# strings sixteen bytes at a time. Set for the whole project, so that every
# translation unit (benchmarks' reference code included) sees the same
# RapidJSON. The sanitizer and fuzz builds go without: those aligned loads may
# read past the end of a string (never past its page), which is harmless but
# is what the address and thread sanitizers report.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64" AND NOT KIV_SANITIZE AND NOT KIV_FUZZ
   AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  add_compile_definitions(RAPIDJSON_SSE2)
endif()
if(KIV_WERROR)
  list(APPEND KIV_WARNINGS -Werror)
endif()

if(KIV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KIV_FUZZ)
  # Coverage instrumentation for the libraries the fuzz targets link.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The allocation functions the library routes through its counters
# (see sdk/memory/allocation_hooks.cc). Every binary that links the hooks
# links with these wraps, so C code inside it is counted as well.
set(KIV_MALLOC_WRAPS
    -Wl,--wrap=malloc -Wl,--wrap=free -Wl,--wrap=calloc -Wl,--wrap=realloc
    -Wl,--wrap=strdup -Wl,--wrap=aligned_alloc -Wl,--wrap=posix_memalign)

# kiv_library(NAME SOURCES... [DEPS targets...]): a static layer library.
function(kiv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KIV_WARNINGS} -fno-exceptions)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# kiv_test(NAME SOURCES... DEPS targets...): one GoogleTest executable,
# linked with the counting allocation hooks so tests can read the counters.
function(kiv_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KIV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} kiv_memory_hooks GTest::gtest GTest::gmock
                                        GTest::gtest_main)
  target_link_options(${name} PRIVATE ${KIV_MALLOC_WRAPS})
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# kiv_plugin_library(NAME OUTPUT_NAME name SOURCES... DEPS... EXPORTS map): a
# plugin shared library. The C++ runtime is linked in statically and every
# symbol but the entry points in the version script is local, so the
# library's allocation hooks and its copy of the runtime never meet the
# host's.
function(kiv_plugin_library name)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;EXPORTS" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES} $<TARGET_OBJECTS:kiv_memory_hooks>
                             $<TARGET_OBJECTS:kiv_runtime_release>)
  set_target_properties(${name} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME}
                                           LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}
                                           LINK_DEPENDS ${ARG_EXPORTS})
  target_compile_options(${name} PRIVATE ${KIV_WARNINGS} -fno-exceptions)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} kiv_memory)
  target_link_options(${name} PRIVATE
    ${KIV_MALLOC_WRAPS}
    -static-libstdc++ -static-libgcc
    -Wl,--exclude-libs,ALL
    -Wl,--version-script=${ARG_EXPORTS}
    -Wl,--no-undefined)
endfunction()
