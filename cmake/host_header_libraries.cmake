# A cross build cannot use the host's CMake packages: their include folder is
# /usr/include, whose C library headers would shadow the target's. CLI11 and
# nlohmann/json are header-only and platform-neutral, so their headers alone
# are copied into the build tree and offered under the usual target names.
function(lumigram_host_header_library target folder)
  set(staged ${CMAKE_BINARY_DIR}/host-headers)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: install the host's ${target} headers")
  endif()
  file(COPY /usr/include/${folder} DESTINATION ${staged})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${staged})
endfunction()

lumigram_host_header_library(CLI11::CLI11 CLI)
lumigram_host_header_library(nlohmann_json::nlohmann_json nlohmann)
