# The Debian package (cpack in the build folder): the install rules under /usr, the first
# preferences as a conffile in /etc, a dependency list computed from the executable, and the
# debugging symbols in a package of their own, so that installed faults can still name source lines.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmate)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "The Quillmate developers <maintainers@quillmate.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUILLMATE_WEBSITE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
# The update check loads libcurl when it runs; without it the check reports no connection.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcurl3-gnutls | libcurl4")
# The first line is the synopsis; the rest becomes the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "viewer for a library of Korvex code examples
Quillmate shows a library of small, self-contained examples in Korvex, a
BASIC dialect, each of which calls one part of the GTK 3 API. An index tree
groups the examples into themes with titles and descriptions in German,
English and French; the chosen example appears read-only with syntax
highlighting, its description above it.

Search as you type, a history, copying and dragging into an editor, zoom and
a settings dialog complete it. Each user keeps their own settings under
~/.config/quillmate.")
set(QUILLMATE_CONFFILES "${CMAKE_BINARY_DIR}/package-control/conffiles")
file(WRITE "${QUILLMATE_CONFFILES}" "/etc/quillmate/${QUILLMATE_PREFERENCES_FILE}\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${QUILLMATE_CONFFILES}")
include(CPack)
