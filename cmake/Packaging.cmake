# Installing Parvoline and packaging it for Debian.
#
# `cmake --install <build>` puts the program, its menu entry, icons, AppStream metadata and man page
# under the prefix; `cpack -G DEB` in the build folder makes parvoline_<version>_<arch>.deb of the same files.
# Expects the parvoline target, PARVOLINE_APPLICATION_ID and LIBREOFFICE_PROGRAM_DIR (cmake/LibreOfficeSdk.cmake).

set(_packaging_dir "${PROJECT_SOURCE_DIR}/packaging")

# The UNO runtime lives in the office's private program folder, which the loader does not search by
# itself. The installed program names only that folder: the default install path that Qt's project setup
# adds (relative to the program) would only search /usr/bin and /usr/lib.
set_target_properties(parvoline PROPERTIES INSTALL_RPATH "${LIBREOFFICE_PROGRAM_DIR}")
install(TARGETS parvoline RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

install(FILES "${_packaging_dir}/${PARVOLINE_APPLICATION_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${_packaging_dir}/${PARVOLINE_APPLICATION_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${_packaging_dir}/icons/${PARVOLINE_APPLICATION_ID}.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
foreach(_size 48 64 128 256)
    install(FILES "${_packaging_dir}/icons/${_size}x${_size}/${PARVOLINE_APPLICATION_ID}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps")
endforeach()
install(FILES "${_packaging_dir}/parvoline.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME parvoline)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Team Kestravel")
set(CPACK_PACKAGE_CONTACT "Parvoline developers <support@kestravel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "receipt maker for Word documents")
# Debian shows the description as it is: lines of fewer than 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Parvoline makes receipts as Word documents. Receipts typed into its window"
    "or imported from a CSV file fill its receipt template, all in one document,"
    "which it previews and saves as Word 97-2003, Word 2007-365, OpenDocument"
    "Text or PDF. It also makes the document of a CSV file on the command line,"
    "without any window."
    "LibreOffice Writer does the word processing, in an invisible office that"
    "Parvoline starts and stops itself.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Where Debian files word processing (LibreOffice is there too); it has no section "office".
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.kestravel.example/")
# The libraries the program is linked with, each with the lowest version its symbols need, come from
# dpkg-shlibdeps, which follows the program's search path into the office's folder. Named here is what
# it cannot see: the UNO bridge and pipe connection that the runtime loads to talk to the office (ure,
# and salhelper, which the runtime links with), the office itself, and the metric twin of the template's Arial.
# Qt's X11 platform plugin ships with libqt6gui6 in Debian 12.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(_depends
    "ure"
    "libuno-salhelpergcc3-3"
    "libreoffice-writer-nogui | libreoffice-writer"
    "fonts-liberation2")
list(JOIN _depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Fonts for the scripts that receipts may be written in: Chinese, Japanese and Korean; Arabic, Hebrew,
# Devanagari and the other scripts of Noto; emoji.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, fonts-noto-core, fonts-noto-color-emoji")
# Debian's packages carry their manual pages compressed.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/CompressManualPages.cmake")
include(CPack)
