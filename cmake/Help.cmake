# The help file Pennora.chm, compiled from res/help with chmcmd (fp-utils) and
# placed beside Pennora.exe. The sources are UTF-8; the help file is an ANSI
# help file for code page 936 (its project sets Language=0x804), whose contents
# and index the viewer reads in GBK, so every source is converted to GBK first
# and its charset declaration rewritten to match.
find_program(CHMCMD chmcmd REQUIRED)
find_program(CHMLS chmls REQUIRED)
find_program(ICONV iconv REQUIRED)

set(help_sources_dir ${CMAKE_SOURCE_DIR}/res/help)
set(help_stage ${CMAKE_BINARY_DIR}/help)
set(help_chm ${CMAKE_BINARY_DIR}/app/Pennora.chm)

file(GLOB help_sources CONFIGURE_DEPENDS ${help_sources_dir}/*)
set(help_staged)
foreach(source ${help_sources})
  get_filename_component(name ${source} NAME)
  set(staged ${help_stage}/${name})
  add_custom_command(OUTPUT ${staged}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${help_stage}
    COMMAND sh -c "sed 's/charset=utf-8/charset=gb2312/' \"$1\" | ${ICONV} -f UTF-8 -t GBK > \"$2.tmp\" && mv \"$2.tmp\" \"$2\""
            to-gbk ${source} ${staged}
    DEPENDS ${source}
    COMMENT "Converting help source ${name} to GBK" VERBATIM)
  list(APPEND help_staged ${staged})
endforeach()

# chmcmd only reports a link to a missing page or anchor; treat that as an
# error so a broken help file never ships.
add_custom_command(OUTPUT ${help_chm}
  COMMAND sh -c "\"$1\" Pennora.hhp > chmcmd.log 2>&1; status=$?; cat chmcmd.log; [ $status -eq 0 ] && ! grep -Eq '^(Warning|Error)' chmcmd.log"
          chmcmd ${CHMCMD}
  COMMAND ${CMAKE_COMMAND} -E copy Pennora.chm ${help_chm}
  WORKING_DIRECTORY ${help_stage}
  DEPENDS ${help_staged}
  COMMENT "Compiling Pennora.chm" VERBATIM)
add_custom_target(pennora_help ALL DEPENDS ${help_chm})
add_dependencies(Pennora pennora_help)

# The Wine tests open the built help file beside Pennora.exe. Their target is
# defined after this file is included, so the dependency is added at the end.
cmake_language(DEFER CALL add_dependencies pennora_win32_tests pennora_help)

add_test(NAME win32.help_pages COMMAND ${CMAKE_SOURCE_DIR}/tests/win32/check_help.sh ${help_chm})
set_tests_properties(win32.help_pages PROPERTIES ENVIRONMENT "CHMLS=${CHMLS}")
