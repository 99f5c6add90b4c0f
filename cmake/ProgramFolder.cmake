# Fills the program folder next to the executable: the bundled sample library, the language
# file and a first preferences file pointing at the bundled database.
add_custom_target(quillmate_program_folder ALL
  COMMAND ${CMAKE_COMMAND}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DPROGRAM_FOLDER=${QUILLMATE_PROGRAM_FOLDER}
          -P ${CMAKE_SOURCE_DIR}/cmake/FillProgramFolder.cmake
  COMMENT "Filling the program folder ${QUILLMATE_PROGRAM_FOLDER}"
  VERBATIM)
add_dependencies(quillmate quillmate_program_folder)
