# What every feature's windows share: the window and dialog bases, the title
# strip, the menu bar, error text, mode flags, the settings file and its keys,
# the help launcher.
list(APPEND PENNORA_LOGIC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ErrorText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IniFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpTargets.cpp)
list(APPEND PENNORA_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleStrip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Bars.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Fonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PopupMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Hints.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteLimitedEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpTopic.cpp)
# The bitmaps at a window's DPI (the choice of set is in ImageSets.h).
list(APPEND PENNORA_WIN32_SOURCES ${CMAKE_CURRENT_LIST_DIR}/DpiImages.cpp)
