# The WebAssembly build keeps the POSIX platform layer (emscripten's in-memory
# file system stands in for the disk) and swaps the PNG files for ones that
# refuse PNG: no libspng is built for WebAssembly here, and the page converts
# PNG through the browser's canvas.
set(lumigram_png_sources
  codec/png_context.cpp
  codec/png_reader.cpp
  codec/skin_to_png.cpp
  codec/png_writer.cpp
  codec/png_filters.cpp
  codec/png_image_data.cpp
)
get_target_property(lumigram_core_sources lumigram_core SOURCES)
list(REMOVE_ITEM lumigram_core_sources ${lumigram_png_sources})
set_property(TARGET lumigram_core PROPERTY SOURCES ${lumigram_core_sources}
                                           codec/png_unavailable.cpp)
target_compile_options(lumigram_core PUBLIC -fexceptions)
# emscripten's libc++ marks std::filesystem::u8path deprecated in C++20 (GCC's
# libstdc++ does not); the call still does what it should.
set_source_files_properties(platform/file_ops.cpp PROPERTIES COMPILE_OPTIONS
                            -Wno-deprecated-declarations)
