# Compiler warnings for every target of ours, through one interface target, so
# that every preset gets them (release and asan included) and flags a user
# passes in CMAKE_CXX_FLAGS are added to them rather than replaced.
option(LUMIGRAM_WERROR "Treat compiler warnings as errors (the dev preset and CI turn it on)" OFF)

add_library(lumigram_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # Clang's -Wconversion also reports every mix of signed and unsigned
  # integers, which GCC's leaves out for C++; saying so for both keeps the two
  # compilers, and clang-tidy reading GCC's compile commands, in step.
  target_compile_options(lumigram_warnings INTERFACE -Wall -Wextra -Wshadow -Wconversion
                                                     -Wno-sign-conversion)
  # GCC 12 at -O3 (the Release build type) reports -Wrestrict and
  # -Warray-bounds inside libstdc++'s own string concatenation and
  # vector::insert, for code that is right (GCC bugs 105329 and 107852). The
  # -O2 builds (dev, asan, windows) keep both.
  target_compile_options(lumigram_warnings INTERFACE
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>,$<CONFIG:Release>>:-Wno-restrict;-Wno-array-bounds>)
  if(LUMIGRAM_WERROR)
    target_compile_options(lumigram_warnings INTERFACE -Werror)
  endif()
elseif(MSVC)
  target_compile_options(lumigram_warnings INTERFACE /W4 $<$<BOOL:${LUMIGRAM_WERROR}>:/WX>)
endif()

# Links lumigram_warnings into every target built from DIR and the folders
# below it that belong to this source tree (a third-party project added as a
# subdirectory keeps its own flags). Called once, after every add_subdirectory,
# so a new target gets the warnings without anyone remembering to ask.
function(lumigram_link_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_link_libraries(${target} PRIVATE lumigram_warnings)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    cmake_path(IS_PREFIX Lumigram_SOURCE_DIR "${subdir}" NORMALIZE ours)
    if(ours)
      lumigram_link_warnings(${subdir})
    endif()
  endforeach()
endfunction()

# At the end of the top-level CMakeLists.txt, when every target exists.
cmake_language(DEFER DIRECTORY ${Lumigram_SOURCE_DIR} CALL lumigram_link_warnings ${Lumigram_SOURCE_DIR})
