# Warnings are errors for our own targets; third-party headers come in as SYSTEM.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wformat=2
  -Wimplicit-fallthrough -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  target_compile_options(project_warnings INTERFACE -Wnull-dereference)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12's maybe-uninitialized and null-dereference depend on inlining at -O2 and misfire
  # inside std::optional and Qt's headers; the clang build (sanitizers) keeps both kinds.
  target_compile_options(project_warnings INTERFACE -Wduplicated-cond -Wlogical-op
                         -Wno-maybe-uninitialized)
endif()
