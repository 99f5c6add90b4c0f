# Script mode: copies the sample library and the language file into PROGRAM_FOLDER and has
# FIRST_PREFERENCES write the first preferences file there when there is none, so saved settings
# survive a rebuild.
file(MAKE_DIRECTORY "${PROGRAM_FOLDER}")
file(GLOB library_items "${SOURCE_DIR}/library/*")
foreach(item IN LISTS library_items)
  file(COPY "${item}" DESTINATION "${PROGRAM_FOLDER}")
endforeach()
if(EXISTS "${SOURCE_DIR}/resources/QuillmateLang.inf")
  file(COPY "${SOURCE_DIR}/resources/QuillmateLang.inf" DESTINATION "${PROGRAM_FOLDER}")
endif()
execute_process(COMMAND "${FIRST_PREFERENCES}" "${PROGRAM_FOLDER}" "${PROGRAM_FOLDER}" COMMAND_ERROR_IS_FATAL ANY)
