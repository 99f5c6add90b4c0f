# Script mode: copies the sample library and the language file into PROGRAM_FOLDER and writes
# a default QuillmateViewer.ini only when there is none, so saved settings survive a rebuild.
# The first start shows the library highlighted (CodeMarks=2); the program's own default is plain.
file(MAKE_DIRECTORY "${PROGRAM_FOLDER}")
file(GLOB library_items "${SOURCE_DIR}/library/*")
foreach(item IN LISTS library_items)
  file(COPY "${item}" DESTINATION "${PROGRAM_FOLDER}")
endforeach()
if(EXISTS "${SOURCE_DIR}/resources/QuillmateLang.inf")
  file(COPY "${SOURCE_DIR}/resources/QuillmateLang.inf" DESTINATION "${PROGRAM_FOLDER}")
endif()
set(ini "${PROGRAM_FOLDER}/QuillmateViewer.ini")
if(NOT EXISTS "${ini}")
  string(ASCII 239 187 191 bom)
  file(WRITE "${ini}" "${bom}\n; Viewer\ndb-path=${PROGRAM_FOLDER}/Quillmate-Toc.xml\nLib-path=\nCodeMarks=2\n")
endif()
