# Installation: a complete, writable program folder under lib/quillmate (executable, language
# file, sample library, preferences pointing at it with highlighting on), a launcher on bin, the
# desktop file, the AppStream metadata and the icon.
include(GNUInstallDirs)
set(QUILLMATE_INSTALL_FOLDER "${CMAKE_INSTALL_LIBDIR}/quillmate")

install(TARGETS quillmate RUNTIME DESTINATION "${QUILLMATE_INSTALL_FOLDER}")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/library/" DESTINATION "${QUILLMATE_INSTALL_FOLDER}")
install(FILES "${CMAKE_SOURCE_DIR}/resources/QuillmateLang.inf" DESTINATION "${QUILLMATE_INSTALL_FOLDER}"
        OPTIONAL)
# The launcher is a link: the program finds its folder through the link's target.
install(CODE "
  set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QUILLMATE_INSTALL_FOLDER}\")
  set(ini \"\${folder}/QuillmateViewer.ini\")
  if(NOT EXISTS \"\${ini}\")
    string(ASCII 239 187 191 bom)
    file(WRITE \"\${ini}\" \"\${bom}\\n; Viewer\\ndb-path=\${CMAKE_INSTALL_PREFIX}/${QUILLMATE_INSTALL_FOLDER}/Quillmate-Toc.xml\\nLib-path=\\nCodeMarks=2\\n\")
  endif()
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${QUILLMATE_INSTALL_FOLDER}/quillmate\"
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillmate\" SYMBOLIC)
")
install(FILES "${CMAKE_SOURCE_DIR}/data/org.quillmate.Quillmate.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${QUILLMATE_GENERATED_DIR}/org.quillmate.Quillmate.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${CMAKE_SOURCE_DIR}/resources/pictures/AppIcon.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps"
        RENAME org.quillmate.Quillmate.png)
