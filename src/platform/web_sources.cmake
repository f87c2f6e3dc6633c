# The WebAssembly build keeps the POSIX platform layer (emscripten's in-memory
# file system stands in for the disk) and takes PNG's deflate and inflate from
# pako (zlib is not built for WebAssembly here: Debian's emscripten would fetch
# its port from the network).
get_target_property(lumigram_core_sources lumigram_core SOURCES)
list(REMOVE_ITEM lumigram_core_sources codec/png_zlib.cpp)
set_property(TARGET lumigram_core PROPERTY SOURCES ${lumigram_core_sources}
                                           codec/png_zlib_web.cpp)
target_compile_options(lumigram_core PUBLIC -fexceptions)
# emscripten's libc++ marks std::filesystem::u8path deprecated in C++20 (GCC's
# libstdc++ does not); the call still does what it should.
set_source_files_properties(platform/file_ops.cpp PROPERTIES COMPILE_OPTIONS
                            -Wno-deprecated-declarations)
