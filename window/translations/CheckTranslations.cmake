# Checks that every text the window shows has its translation: collects the source texts
# anew (lupdate) into a copy of each .ts file, then compiles the copy (lrelease), which must
# report no unfinished and no untranslated entry. The copy must also equal the file in the
# repository, so that it holds exactly the texts the sources hold.
#   cmake -DLUPDATE=... -DLRELEASE=... -DROOT=<source folder> -DSOURCES=<folders>
#         -DTS_FILES=<.ts files> -DWORK=<scratch folder> -P CheckTranslations.cmake
# with the folders and the .ts files each apart by "|".
foreach(variable LUPDATE LRELEASE ROOT SOURCES TS_FILES WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
  string(REPLACE "|" ";" ${variable} "${${variable}}")
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(failed FALSE)
foreach(ts ${TS_FILES})
  get_filename_component(name ${ts} NAME)
  set(copy ${WORK}/${name})
  file(COPY_FILE ${ts} ${copy})
  execute_process(
    COMMAND ${LUPDATE} -silent -locations none -no-obsolete -I ${ROOT} ${SOURCES} -ts ${copy}
    WORKING_DIRECTORY ${ROOT}
    RESULT_VARIABLE result
    ERROR_VARIABLE errors)
  if(NOT result EQUAL 0 OR NOT errors STREQUAL "")
    message(SEND_ERROR "lupdate failed on ${name}: ${errors}")
    set(failed TRUE)
    continue()
  endif()
  execute_process(
    COMMAND ${LRELEASE} ${copy} -qm ${WORK}/${name}.qm
    RESULT_VARIABLE result
    OUTPUT_VARIABLE report
    ERROR_VARIABLE report)
  message(STATUS "${name}: ${report}")
  if(NOT result EQUAL 0)
    message(SEND_ERROR "lrelease failed on ${name}")
    set(failed TRUE)
  endif()
  if(NOT report MATCHES "\\(([0-9]+) finished and 0 unfinished\\)")
    message(SEND_ERROR "${name}: some source texts have no finished translation")
    set(failed TRUE)
  endif()
  if(report MATCHES "Ignored ([0-9]+) untranslated")
    message(SEND_ERROR "${name}: ${CMAKE_MATCH_1} source texts have no translation")
    set(failed TRUE)
  endif()
  file(READ ${ts} kept)
  file(READ ${copy} collected)
  if(NOT kept STREQUAL collected)
    message(SEND_ERROR "${name} is not up to date with the sources: build the target "
                       "tarvo_update_translations and translate what it adds")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "translations incomplete")
endif()
