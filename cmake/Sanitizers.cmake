if(SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
  # An interpreter that loads our libraries is not instrumented: tests that run one preload
  # the sanitizer runtime the libraries expect from their executable.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(runtime libclang_rt.asan-${CMAKE_SYSTEM_PROCESSOR}.so)
  else()
    set(runtime libasan.so)
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE SANITIZER_PRELOAD OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

if(FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "FUZZ=ON needs clang (configure with CMAKE_CXX_COMPILER=clang++)")
  endif()
  # Everything is built with coverage so the fuzzers see inside the libraries;
  # only the fuzz executables link the libFuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Adds a libFuzzer executable NAME from SOURCES linked with LIBS.
function(add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS} project_warnings)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
