# Browser integration: context-menu entries in the registry with their script
# files, the page that edits them, and hiding browser windows.
list(APPEND PENNORA_LOGIC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ScriptFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrowserMenuLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrowserWindows.cpp)
list(APPEND PENNORA_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/BrowserMenuPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrowserIntegration.cpp)
