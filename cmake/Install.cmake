# Installation: a complete, writable program folder under lib/quillmate (executable, language
# file, sample library, the first preferences pointing at it), a launcher on bin, the
# desktop file, the AppStream metadata, the icon at every size and the manual page.
include(GNUInstallDirs)
set(QUILLMATE_INSTALL_FOLDER "${CMAKE_INSTALL_LIBDIR}/quillmate")

install(TARGETS quillmate RUNTIME DESTINATION "${QUILLMATE_INSTALL_FOLDER}")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/library/" DESTINATION "${QUILLMATE_INSTALL_FOLDER}")
install(FILES "${CMAKE_SOURCE_DIR}/resources/QuillmateLang.inf" DESTINATION "${QUILLMATE_INSTALL_FOLDER}"
        OPTIONAL)
# The launcher is a link: the program finds its folder through the link's target.
install(CODE "
  set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QUILLMATE_INSTALL_FOLDER}\")
  execute_process(COMMAND \"$<TARGET_FILE:quillmate_first_preferences>\" \"\${folder}\"
                          \"\${CMAKE_INSTALL_PREFIX}/${QUILLMATE_INSTALL_FOLDER}\" COMMAND_ERROR_IS_FATAL ANY)
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${QUILLMATE_INSTALL_FOLDER}/quillmate\"
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillmate\" SYMBOLIC)
")
install(FILES "${CMAKE_SOURCE_DIR}/data/org.quillmate.Quillmate.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${QUILLMATE_GENERATED_DIR}/org.quillmate.Quillmate.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/icons/" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(FILES "${CMAKE_SOURCE_DIR}/docs/quillmate.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
