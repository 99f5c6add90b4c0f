# Script mode: checks the layer check. A small tree in WORK_DIR holds the headers a file may name;
# each include line of the table goes into its file (a widget file of app/ unless the row names
# another), and the check must refuse it exactly when the table says so.
set(tree "${WORK_DIR}/layers-tree")
file(REMOVE_RECURSE "${tree}")
file(WRITE "${tree}/base/Paths.h" "#pragma once\n")
file(WRITE "${tree}/app/Application.h" "#pragma once\n")
file(WRITE "${tree}/app/WindowContext.h" "#pragma once\n#include <gtkmm/window.h>\n")
file(WRITE "${tree}/app/StartUp.h" "#pragma once\n")
file(WRITE "${tree}/database/IndexTreeActions.h" "#pragma once\n")
file(WRITE "${tree}/core.txt" "")
# [file |] include line | refused
set(cases
  "base/Text.cpp|#include \"app/Application.h\"|1"
  "#include \"Application.h\"|1"
  "#include \"../database/IndexTreeActions.h\"|1"
  "#include <app/Application.h>|1"
  "#  include \"app/StartUp.h\"|1"
  "#include \"base/Paths.h\"|0"
  "#include \"../base/Paths.h\"|0"
  "#include \"WindowContext.h\"|0"
  "#include <gtkmm/window.h>|0")
set(failures "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  set(source "app/MainWindow.cpp")
  list(LENGTH parts count)
  if(count EQUAL 3)
    list(POP_FRONT parts source)
  endif()
  list(GET parts 0 line)
  list(GET parts 1 refused)
  file(REMOVE "${tree}/app/MainWindow.cpp" "${tree}/base/Text.cpp")
  file(WRITE "${tree}/${source}" "${line}\n")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${tree} -DCORE_SOURCES_FILE=${tree}/core.txt
                          -P "${CHECKER}"
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(result EQUAL 0)
    set(was 0)
  else()
    set(was 1)
  endif()
  if(NOT was EQUAL refused)
    list(APPEND failures "${line}: refused ${was}, expected ${refused}")
  endif()
endforeach()
file(REMOVE_RECURSE "${tree}")
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "The layer check judged wrongly:\n  ${text}")
endif()
