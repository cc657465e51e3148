# What `cmake --install` puts beside the two programs, and the Debian package made from
# it (`cpack -G DEB` in the build tree, or the `package` target).
include_guard(GLOBAL)
include(GNUInstallDirs)

set(KOLVARA_APP_ID io.github.kolvara.Kolvara)
# kolvara-sheet --version says the version the package carries.
target_compile_definitions(kolvara-sheet PRIVATE KOLVARA_VERSION="${PROJECT_VERSION}")
set(KOLVARA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(FILES ${KOLVARA_DATA_DIR}/${KOLVARA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KOLVARA_DATA_DIR}/${KOLVARA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KOLVARA_DATA_DIR}/${KOLVARA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kolvara RENAME copyright)

# Manual pages are installed compressed, as Debian's tools expect; -n keeps the archive
# free of time stamps, so an unchanged page gives an identical package.
function(kolvara_install_man_pages)
  set(pages "")
  foreach(lang IN ITEMS C ja)
    if(lang STREQUAL C)
      set(folder "")
    else()
      set(folder "${lang}/")
    endif()
    foreach(program IN ITEMS kolvara kolvara-sheet)
      set(page ${PROJECT_BINARY_DIR}/man/${folder}${program}.1.gz)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man/${folder}
        COMMAND gzip -9nc ${KOLVARA_DATA_DIR}/man/${folder}${program}.1 > ${page}
        DEPENDS ${KOLVARA_DATA_DIR}/man/${folder}${program}.1
        VERBATIM)
      list(APPEND pages ${page})
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder}man1)
    endforeach()
  endforeach()
  add_custom_target(kolvara_man_pages ALL DEPENDS ${pages})
endfunction()
kolvara_install_man_pages()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolvara)
set(CPACK_PACKAGE_VENDOR "the Kolvara developers")
set(CPACK_PACKAGE_CONTACT "Kolvara developers <kolvara@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "column arithmetic worksheets for primary school")
# Debian shows the long description as it stands: lines kept short, an empty line
# between paragraphs.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Kolvara makes printed worksheets of written (column) addition and subtraction"
  "with up to three digits, with a Japanese user interface. For every place of"
  "both numbers and every column the teacher chooses the digits and whether a"
  "carry or borrow happens; a problem page and an answer page with the same"
  "problems go to the printer or into a PDF."
  ""
  "kolvara-sheet writes numbered sheets with their answers into a PDF without a"
  "display.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/kolvara/kolvara)
# The libraries the programs link (Qt, and the print system's) are found by
# dpkg-shlibdeps from the binaries themselves. What they load at run time without
# linking is listed here: the fonts the pages name, Qt's Japanese texts for its own
# dialogs, and Qt's further platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcups2 is loaded at the first print, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcups2, fonts-ipafont-gothic, qt6-translations-l10n, qt6-qpa-plugins")
# Without it a Wayland desktop still shows the window, through X11.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
