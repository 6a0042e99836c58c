# Warnings are errors for our own targets; third-party headers come in as SYSTEM.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference -Wformat=2
  -Wimplicit-fallthrough -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12's maybe-uninitialized misfires on std::optional at -O2; clang's uninitialized
  # checks in the sanitizer build still cover real cases.
  target_compile_options(project_warnings INTERFACE -Wduplicated-cond -Wlogical-op
                         -Wno-maybe-uninitialized)
endif()
