# The Windows side of the platform layer.
target_sources(lumigram_core PRIVATE
  platform/wide_text_win32.cpp
  platform/io_error_win32.cpp
  platform/win32/handles.cpp
  platform/win32/byte_calls.cpp
  platform/win32/output_calls.cpp
  platform/win32/edit_calls.cpp
  platform/win32/folder_calls.cpp
  platform/file_ops_win32.cpp
  platform/folder_search_win32.cpp
  platform/interrupt_cleanup_win32.cpp
)
# Windows 8 and later (GetFinalPathNameByHandleW, FindFirstFileExW's large
# fetch); UNICODE so that no ANSI call slips in unnoticed.
target_compile_definitions(lumigram_core PUBLIC _WIN32_WINNT=0x0602 WINVER=0x0602 UNICODE _UNICODE
                                                WIN32_LEAN_AND_MEAN NOMINMAX)
