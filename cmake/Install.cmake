# Installation: a complete, writable program folder under lib/quillmate (executable, language
# file, sample library, the first preferences pointing at it), a launcher on bin, the
# desktop file, the AppStream metadata, the icon at every size and the manual page.
include(GNUInstallDirs)
set(QUILLMATE_INSTALL_FOLDER "${CMAKE_INSTALL_LIBDIR}/quillmate")
set(QUILLMATE_PREFERENCES_FILE QuillmateViewer.ini)

install(TARGETS quillmate RUNTIME DESTINATION "${QUILLMATE_INSTALL_FOLDER}")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/library/" DESTINATION "${QUILLMATE_INSTALL_FOLDER}")
install(FILES "${CMAKE_SOURCE_DIR}/resources/QuillmateLang.inf" DESTINATION "${QUILLMATE_INSTALL_FOLDER}"
        OPTIONAL)
# The first preferences live with the other configuration (/etc for a /usr prefix), where a package
# keeps an administrator's changes across upgrades; the program folder links to them, unless it
# holds a settings file of an earlier install. The launcher on bin is a link: the program finds its
# folder through the link's target.
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  if(prefix STREQUAL \"/usr\" OR prefix STREQUAL \"/\")
    set(config \"/etc/quillmate\")
  else()
    set(config \"\${prefix}/${CMAKE_INSTALL_SYSCONFDIR}/quillmate\")
  endif()
  set(folder \"\${prefix}/${QUILLMATE_INSTALL_FOLDER}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${config}\")
  execute_process(COMMAND \"$<TARGET_FILE:quillmate_first_preferences>\" \"\$ENV{DESTDIR}\${config}\"
                          \"\${folder}\" COMMAND_ERROR_IS_FATAL ANY)
  set(link \"\$ENV{DESTDIR}\${folder}/${QUILLMATE_PREFERENCES_FILE}\")
  if(NOT EXISTS \"\${link}\" AND NOT IS_SYMLINK \"\${link}\")
    file(CREATE_LINK \"\${config}/${QUILLMATE_PREFERENCES_FILE}\" \"\${link}\" SYMBOLIC)
  endif()
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${prefix}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${QUILLMATE_INSTALL_FOLDER}/quillmate\"
       \"\$ENV{DESTDIR}\${prefix}/${CMAKE_INSTALL_BINDIR}/quillmate\" SYMBOLIC)
")
install(FILES "${CMAKE_SOURCE_DIR}/data/org.quillmate.Quillmate.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${QUILLMATE_GENERATED_DIR}/org.quillmate.Quillmate.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/icons/" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor")

# The manual page, the copyright and the changelog, compressed as Debian keeps them (no name or time
# in the gzip header, so that two builds give the same bytes).
set(QUILLMATE_DOC_DIR "${CMAKE_BINARY_DIR}/doc")
execute_process(COMMAND date -u -R -d "${QUILLMATE_RELEASE_DATE}" OUTPUT_VARIABLE QUILLMATE_CHANGELOG_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file("${CMAKE_SOURCE_DIR}/docs/changelog.in" "${QUILLMATE_DOC_DIR}/changelog" @ONLY)
# The copyright file in Debian's machine-readable form, around the licence text of LICENSE.
file(READ "${CMAKE_SOURCE_DIR}/LICENSE" QUILLMATE_LICENSE_TEXT)
string(REGEX REPLACE "^[^\n]*\n\n[^\n]*\n\n" "" QUILLMATE_LICENSE_TEXT "${QUILLMATE_LICENSE_TEXT}")
string(STRIP "${QUILLMATE_LICENSE_TEXT}" QUILLMATE_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" QUILLMATE_LICENSE_TEXT "${QUILLMATE_LICENSE_TEXT}")
string(REPLACE "\n" "\n " QUILLMATE_LICENSE_TEXT " ${QUILLMATE_LICENSE_TEXT}")
configure_file("${CMAKE_SOURCE_DIR}/docs/copyright.in" "${QUILLMATE_DOC_DIR}/copyright" @ONLY)
configure_file("${CMAKE_SOURCE_DIR}/docs/quillmate.1" "${QUILLMATE_DOC_DIR}/quillmate.1" COPYONLY)
foreach(name IN ITEMS quillmate.1 changelog)
  add_custom_command(OUTPUT "${QUILLMATE_DOC_DIR}/${name}.gz" COMMAND gzip -9nkf "${QUILLMATE_DOC_DIR}/${name}"
                     DEPENDS "${QUILLMATE_DOC_DIR}/${name}" VERBATIM)
endforeach()
add_custom_target(quillmate_docs ALL DEPENDS "${QUILLMATE_DOC_DIR}/quillmate.1.gz" "${QUILLMATE_DOC_DIR}/changelog.gz")
install(FILES "${QUILLMATE_DOC_DIR}/quillmate.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${QUILLMATE_DOC_DIR}/copyright" "${QUILLMATE_DOC_DIR}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/quillmate")
# The library's examples in Latin-1 and UTF-16 are there to show the viewer's decoding.
install(FILES "${CMAKE_SOURCE_DIR}/data/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
        RENAME quillmate)
