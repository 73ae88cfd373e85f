# The registry, the script folder and the shell's browser-window collection.
list(APPEND PENNORA_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/win32/Win32Registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32/Win32FolderApi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32/Win32ShellWindows.cpp)
