# Shared build settings for every target of the project.

# Warnings are on everywhere and kept at zero.
function(glowmotion_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
endfunction()

# Code whose floating-point results must be the same bytes on every machine:
# no contraction into fused multiply-add, no fast-math, no -march.
function(glowmotion_exact_float target)
  target_compile_options(${target} PRIVATE -ffp-contract=off -fno-fast-math)
endfunction()

# Adds subdirectory DIR of the current folder when it exists, so that each
# subsystem registers its own tools, tests and benchmarks.
macro(glowmotion_optional_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endmacro()
