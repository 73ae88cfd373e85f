# Windows build: Pennora.exe (static, no DLL beside it), the Wine test tiers.
if(DEFINED ENV{PENNORA_CACHE})
  set(PENNORA_CACHE $ENV{PENNORA_CACHE})
elseif(DEFINED ENV{HOME})
  set(PENNORA_CACHE $ENV{HOME}/.cache/pennora)
else()
  set(PENNORA_CACHE /root/.cache/pennora)
endif()
set(jpeg_root ${PENNORA_CACHE}/libjpeg-turbo-win64)
set(gtest_root ${PENNORA_CACHE}/googletest-win64)
if(NOT EXISTS ${jpeg_root}/lib/libjpeg.a OR NOT EXISTS ${gtest_root}/lib/libgtest.a)
  message(FATAL_ERROR "win64 libraries missing under ${PENNORA_CACHE}: run scripts/setup")
endif()

add_library(win64_jpeg STATIC IMPORTED)
set_target_properties(win64_jpeg PROPERTIES IMPORTED_LOCATION ${jpeg_root}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_root}/include)
target_link_libraries(pennora_logic PUBLIC win64_jpeg)

set(win32_libs user32 gdi32 comctl32 shell32 ole32 oleaut32 uuid advapi32)
add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 NOMINMAX STRICT)

add_library(pennora_ui STATIC ${PENNORA_WIN32_SOURCES})
target_link_libraries(pennora_ui PUBLIC pennora_logic ${win32_libs})

add_executable(Pennora WIN32 ${CMAKE_SOURCE_DIR}/src/app/Main.cpp ${CMAKE_SOURCE_DIR}/res/Pennora.rc)
target_link_libraries(Pennora PRIVATE pennora_ui)
target_link_options(Pennora PRIVATE -static -s -Wl,--gc-sections)
# The product's code is optimised for size: it waits on the user, not on the
# processor, and a smaller exe loads faster from a cold disk.
target_compile_options(pennora_logic PRIVATE -Os)
target_compile_options(pennora_ui PRIVATE -Os)
set_target_properties(Pennora PROPERTIES OUTPUT_NAME Pennora RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app)
# The .rc files include the pictures and the manifest; a change to any of
# them rebuilds the resources.
file(GLOB resource_inputs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.bmp
  ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.cur ${CMAKE_SOURCE_DIR}/res/*.jpg
  ${CMAKE_SOURCE_DIR}/res/*.manifest ${CMAKE_SOURCE_DIR}/src/ui/resource.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Pennora.rc PROPERTIES OBJECT_DEPENDS "${resource_inputs}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_SOURCE_DIR}/src")

if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/Help.cmake)
  include(cmake/Help.cmake)
endif()

# The Wine tiers share one throw-away prefix and one X server per test run,
# made by a CTest fixture before the first of them and removed after the last.
set(desktop ${CMAKE_SOURCE_DIR}/tests/support/desktop.sh)
set(wine_env "PENNORA_RUN_DIR=${CMAKE_BINARY_DIR}/testrun" "PENNORA_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
add_test(NAME desktop.start COMMAND ${desktop} start)
add_test(NAME desktop.stop COMMAND ${desktop} stop)
set_tests_properties(desktop.start PROPERTIES FIXTURES_SETUP desktop ENVIRONMENT "${wine_env}" TIMEOUT 180)
set_tests_properties(desktop.stop PROPERTIES FIXTURES_CLEANUP desktop ENVIRONMENT "${wine_env}")

function(pennora_wine_test name)
  add_test(NAME ${name} COMMAND ${desktop} exec ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED desktop RESOURCE_LOCK desktop
    ENVIRONMENT "${wine_env}" TIMEOUT 600)
endfunction()

file(GLOB win32_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(pennora_win32_tests ${win32_test_sources} ${CMAKE_SOURCE_DIR}/res/Pennora.rc)
target_include_directories(pennora_win32_tests PRIVATE ${gtest_root}/include ${CMAKE_SOURCE_DIR}/tests)
# imm32: the tests drive an input method's composition into the edit boxes;
# oleacc: they ask for accessible objects as a screen reader does.
target_link_libraries(pennora_win32_tests PRIVATE pennora_ui imm32 oleacc ${gtest_root}/lib/libgtest_main.a ${gtest_root}/lib/libgmock.a ${gtest_root}/lib/libgtest.a)
target_link_options(pennora_win32_tests PRIVATE -static)
target_compile_definitions(pennora_win32_tests PRIVATE PENNORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  PENNORA_APP_EXE="$<TARGET_FILE:Pennora>")
add_dependencies(pennora_win32_tests Pennora)
pennora_wine_test(win32.gtest wine $<TARGET_FILE:pennora_win32_tests>)
# The exe must also say that every test ran: an exit part-way with code 0
# (seen once under Wine) would otherwise read as a pass. With a pass
# expression ctest ignores the exit code, so a failure line fails it too.
set_tests_properties(win32.gtest PROPERTIES
  PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
  FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")

# Small helper programs of the test tree (e.g. a target window with an edit
# control that reports what it received).
file(GLOB helper_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/programs/*.cpp)
foreach(src ${helper_sources})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} WIN32 ${src})
  # pennora_ui, so a helper can drive the product's own logic and Win32 face.
  target_link_libraries(${name} PRIVATE pennora_ui)
  target_link_options(${name} PRIVATE -static)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/programs)
  add_dependencies(pennora_win32_tests ${name})
endforeach()

file(GLOB win32_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/test_*.py)
foreach(script ${win32_scripts})
  get_filename_component(name ${script} NAME_WE)
  pennora_wine_test(win32.${name} python3 ${script})
  set_property(TEST win32.${name} APPEND PROPERTY ENVIRONMENT
    "PENNORA_APP_DIR=${CMAKE_BINARY_DIR}/app" "PENNORA_PROGRAMS_DIR=${CMAKE_BINARY_DIR}/programs")
endforeach()

file(GLOB e2e_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(script ${e2e_tests})
  get_filename_component(name ${script} NAME_WE)
  pennora_wine_test(e2e.${name} python3 ${script})
  set_property(TEST e2e.${name} APPEND PROPERTY ENVIRONMENT
    "PENNORA_APP_DIR=${CMAKE_BINARY_DIR}/app" "PENNORA_PROGRAMS_DIR=${CMAKE_BINARY_DIR}/programs")
endforeach()

# The yardstick of the whole-program measurements (scripts/bench): a minimal
# static window program, started and measured beside Pennora.exe.
add_executable(MinimalWindow WIN32 ${CMAKE_SOURCE_DIR}/bench/programs/MinimalWindow.cpp)
target_link_libraries(MinimalWindow PRIVATE user32 gdi32)
target_link_options(MinimalWindow PRIVATE -static -s)
set_target_properties(MinimalWindow PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# The refill of both fill lists after a stored change, on the real controls
# (scripts/bench runs it under Wine).
# The drag-fill window it fills shows the tool's pictures: it carries its resources.
add_executable(RefillBench ${CMAKE_SOURCE_DIR}/bench/programs/RefillBench.cpp ${CMAKE_SOURCE_DIR}/res/Pennora.rc)
target_link_libraries(RefillBench PRIVATE pennora_ui)
target_link_options(RefillBench PRIVATE -static)
set_target_properties(RefillBench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# The posting of a fill with line breaks against a WM_CHAR per byte
# (scripts/bench runs it under Wine).
add_executable(TypingBench ${CMAKE_SOURCE_DIR}/bench/programs/TypingBench.cpp)
target_link_libraries(TypingBench PRIVATE pennora_ui)
target_link_options(TypingBench PRIVATE -static)
set_target_properties(TypingBench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

# The floor of any tabbed tool: the same manifest, a six-tab control, a tool
# bar and a status bar.
foreach(variant TabbedWindow TabbedWindowChinese)
  add_executable(${variant} WIN32 ${CMAKE_SOURCE_DIR}/bench/programs/TabbedWindow.cpp
    ${CMAKE_SOURCE_DIR}/bench/programs/TabbedWindow.rc)
  target_link_libraries(${variant} PRIVATE user32 gdi32 comctl32)
  target_link_options(${variant} PRIVATE -static -s)
  set_target_properties(${variant} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
target_compile_definitions(TabbedWindowChinese PRIVATE CHINESE_CAPTIONS)
