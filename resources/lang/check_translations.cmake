# cmake -DLUPDATE=... -DTS=... -DSOURCE_DIR=... -DWORK_DIR=... -DSTAMP=... -P check_translations.cmake
get_filename_component(_name ${TS} NAME)
set(_copy ${WORK_DIR}/check_${_name})
configure_file(${TS} ${_copy} COPYONLY)
execute_process(
  COMMAND ${LUPDATE} -silent -locations none -no-obsolete -I ${SOURCE_DIR}
          -extensions cpp,h,ui core io operations view mainwindow widgets -ts ${_copy}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE _result
  ERROR_VARIABLE _errors)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "lupdate failed: ${_errors}")
endif()
file(STRINGS ${_copy} _unfinished REGEX "type=\"unfinished\"")
if(_unfinished)
  # Show the sources of the untranslated texts.
  file(READ ${_copy} _all)
  string(REGEX MATCHALL "<source>[^<]*</source>\n[ ]*<translation type=\"unfinished\"" _missing
         "${_all}")
  string(REPLACE ";" "\n" _missing "${_missing}")
  message(FATAL_ERROR "${_name} lacks translations (add them, then rebuild):\n${_missing}")
endif()
file(TOUCH ${STAMP})
