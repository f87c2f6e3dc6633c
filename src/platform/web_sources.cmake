# The WebAssembly build compiles the POSIX platform layer only so that the core
# links: the page's bytes reach the core as memory sources and its results
# come back through memory sinks, and the module has no file system at all
# (-sFILESYSTEM=0, src/web), so a file call there fails instead of reaching a
# disk. PNG's deflate and inflate come from pako (zlib is not built for
# WebAssembly here: Debian's emscripten would fetch its port from the network).
target_sources(lumigram_core PRIVATE codec/png_zlib_web.cpp)
target_compile_options(lumigram_core PUBLIC -fexceptions)
# emscripten's libc++ marks std::filesystem::u8path deprecated in C++20 (GCC's
# libstdc++ does not); the call still does what it should.
set_source_files_properties(platform/file_ops.cpp PROPERTIES COMPILE_OPTIONS
                            -Wno-deprecated-declarations)
