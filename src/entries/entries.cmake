list(APPEND PENNORA_LOGIC_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DataFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataFileBackups.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryCsv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryTransfer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryTransferTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionOffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionPicker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataFileKeeper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryEditorLogic.cpp)
list(APPEND PENNORA_WIN32_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/EntryEditorPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InPlaceTitle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VersionPickerDialog.cpp)
