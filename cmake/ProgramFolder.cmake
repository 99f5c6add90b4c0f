# Fills the program folder next to the executable: the bundled sample library, the language
# file and a first preferences file pointing at the bundled database. The first preferences file
# of the build and of the install is written by one build tool from the preferences key table.
add_executable(quillmate_first_preferences settings/FirstPreferences.cpp)
target_link_libraries(quillmate_first_preferences PRIVATE quillmate_core)

add_custom_target(quillmate_program_folder ALL
  COMMAND ${CMAKE_COMMAND}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DPROGRAM_FOLDER=${QUILLMATE_PROGRAM_FOLDER}
          -DFIRST_PREFERENCES=$<TARGET_FILE:quillmate_first_preferences>
          -P ${CMAKE_SOURCE_DIR}/cmake/FillProgramFolder.cmake
  COMMENT "Filling the program folder ${QUILLMATE_PROGRAM_FOLDER}"
  VERBATIM)
add_dependencies(quillmate_program_folder quillmate_first_preferences)
add_dependencies(quillmate quillmate_program_folder)
