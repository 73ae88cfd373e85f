# The text matrix maker: generation on the text-surface seam, the screen font
# list (portable); its page and the clipboard (Win32).
list(APPEND PENNORA_LOGIC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MatrixMaker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MatrixFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenFonts.cpp)
list(APPEND PENNORA_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MatrixPage.cpp)
