# The POSIX side of the platform layer, for Linux and (with the page's own
# interrupt handling, which has no signals) WebAssembly.
target_sources(lumigram_core PRIVATE
  platform/file_ops.cpp
  platform/posix/byte_calls.cpp
  platform/posix/output_calls.cpp
  platform/posix/folder_calls.cpp
  platform/posix/edit_calls.cpp
)
if(EMSCRIPTEN)
  target_sources(lumigram_core PRIVATE platform/interrupt_cleanup_web.cpp)
else()
  target_sources(lumigram_core PRIVATE platform/interrupt_cleanup.cpp)
endif()
