# The Windows side of the platform layer, and the PNG files swapped for ones
# that say so (no libspng is packaged for the cross-compiler).
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
set_property(TARGET lumigram_core PROPERTY SOURCES ${lumigram_core_sources})
target_sources(lumigram_core PRIVATE
  platform/wide_text_win32.cpp
  platform/io_error_win32.cpp
  platform/win32/byte_calls.cpp
  platform/win32/handles.cpp
  platform/win32/output_calls.cpp
  platform/win32/edit_calls.cpp
  platform/file_ops_win32.cpp
  platform/folder_search_win32.cpp
  platform/interrupt_cleanup_win32.cpp
  platform/win32/folder_calls.cpp
  codec/png_unavailable.cpp
)
# Windows 8 and later (GetFinalPathNameByHandleW, FindFirstFileExW's large
# fetch); UNICODE so that no ANSI call slips in unnoticed.
target_compile_definitions(lumigram_core PUBLIC _WIN32_WINNT=0x0602 WINVER=0x0602 UNICODE _UNICODE
                                                WIN32_LEAN_AND_MEAN NOMINMAX)
