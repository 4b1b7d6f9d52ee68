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

if(GLOWMOTION_WERROR)
  add_compile_options(-Werror)
endif()

# Every target, including the tools that write data/ during the build, so the
# media steps are checked too. Any report stops the program (no recovery).
if(GLOWMOTION_SANITIZE)
  set(glowmotion_sanitize_flags
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${glowmotion_sanitize_flags})
  add_link_options(${glowmotion_sanitize_flags})
endif()

# The fuzzing build: coverage for libFuzzer in every target (the fuzz targets
# link the fuzzer's main themselves), the same sanitizers as above. Flags the
# GCC build uses that clang does not know are ignored quietly.
if(GLOWMOTION_FUZZ)
  set(glowmotion_fuzz_flags
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${glowmotion_fuzz_flags} -fsanitize=fuzzer-no-link -Wno-ignored-optimization-argument)
  add_link_options(${glowmotion_fuzz_flags})
endif()
