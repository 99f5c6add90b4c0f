# Script mode: fails when a C++ source of the project differs from its clang-format form.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/base/*.cpp" "${SOURCE_DIR}/base/*.h"
     "${SOURCE_DIR}/app/*.cpp" "${SOURCE_DIR}/app/*.h"
     "${SOURCE_DIR}/database/*.cpp" "${SOURCE_DIR}/database/*.h"
     "${SOURCE_DIR}/viewer/*.cpp" "${SOURCE_DIR}/viewer/*.h"
     "${SOURCE_DIR}/settings/*.cpp" "${SOURCE_DIR}/settings/*.h"
     "${SOURCE_DIR}/resources/*.cpp" "${SOURCE_DIR}/resources/*.h"
     "${SOURCE_DIR}/tests/*.cpp" "${SOURCE_DIR}/tests/*.h"
     "${SOURCE_DIR}/bench/*.cpp" "${SOURCE_DIR}/bench/*.h"
     "${SOURCE_DIR}/fuzz/*.cpp" "${SOURCE_DIR}/fuzz/*.h")
set(unformatted "")
foreach(source IN LISTS sources)
  execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror "${SOURCE_DIR}/${source}"
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0)
    list(APPEND unformatted "${source}")
  endif()
endforeach()
if(unformatted)
  message(FATAL_ERROR "Not clang-formatted: ${unformatted}")
endif()
