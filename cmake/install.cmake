# What `cmake --install` puts in place, and the package CPack makes of it: a Debian package on
# Linux (scripts/package), a zip on Windows (scripts/build-windows, which also makes the installer
# of the same files, packaging/windows).
#
# Linux, below the prefix: bin/prynda; the CUPS backend lib/cups/backend/prynda; the man page
# prynda(1); the README, the manual (every page of docs/ and its pictures, in docs/ beside the
# README, so that the README's links hold there), the samples and the commented settings file
# under share/doc/prynda; and that settings file where the program reads the system's
# (kSystemSettingsFile: /etc/prynda/prynda.ini for the prefix /usr, else etc/prynda below the
# prefix).
# Windows, in one folder: prynda.exe with the settings file beside it (so that it is the one
# read), the README as text with CRLF line ends, the manual in docs\ (its pages with CRLF line
# ends, as the README), the samples.

set(PRYNDA_SETTINGS_FILE ${PROJECT_SOURCE_DIR}/docs/prynda.ini)
set(PRYNDA_SAMPLES
  ${PROJECT_SOURCE_DIR}/examples/faktura.txt
  ${PROJECT_SOURCE_DIR}/examples/list-mazowia.txt
  ${PROJECT_SOURCE_DIR}/examples/poziomo.txt
  ${PROJECT_SOURCE_DIR}/examples/pozycje.txt
  ${PROJECT_SOURCE_DIR}/examples/raport.txt
  ${PROJECT_SOURCE_DIR}/examples/faktura-fx.txt
  ${PROJECT_SOURCE_DIR}/examples/wykaz-lf.txt
  ${PROJECT_SOURCE_DIR}/examples/zamowienie-fx.txt
  ${PROJECT_SOURCE_DIR}/examples/logo-fx.txt
  ${PROJECT_SOURCE_DIR}/examples/rechnung-fx.txt
  ${PROJECT_SOURCE_DIR}/examples/karta-72.txt
  ${PROJECT_SOURCE_DIR}/examples/faktura-papier.txt
  ${PROJECT_SOURCE_DIR}/examples/papier-firmowy.pdf
  ${PROJECT_SOURCE_DIR}/examples/papier-firmowy.png
)
# The manual: the pages of docs/ and the pictures they show. A page added there is installed
# without another word here (CMake looks again when the folder changes).
file(GLOB PRYNDA_MANUAL_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
file(GLOB PRYNDA_MANUAL_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.png)

set(CPACK_PACKAGE_NAME prynda)
set(CPACK_PACKAGE_VENDOR "The Prynda developers")
set(CPACK_PACKAGE_CONTACT "Prynda developers <prynda@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print DOS printer files on today's printers")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS prynda RUNTIME DESTINATION .)
  set(texts README.md:README.txt docs/prynda.ini:prynda.ini)
  foreach(page ${PRYNDA_MANUAL_PAGES})
    file(RELATIVE_PATH page ${PROJECT_SOURCE_DIR} ${page})
    list(APPEND texts ${page}:${page})
  endforeach()
  foreach(text ${texts})
    string(REPLACE ":" ";" text ${text})
    list(GET text 0 from)
    list(GET text 1 to)
    file(READ ${PROJECT_SOURCE_DIR}/${from} content)
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${to} "${content}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${from})
    get_filename_component(folder ${to} DIRECTORY)
    if(folder STREQUAL "")
      set(folder .)
    endif()
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${to} DESTINATION ${folder})
  endforeach()
  install(FILES ${PRYNDA_MANUAL_PICTURES} DESTINATION docs)
  install(FILES ${PRYNDA_SAMPLES} DESTINATION examples)

  # The installer (packaging/windows, made by scripts/build-windows) installs the same files, and
  # takes from here its action DLL (in the MSI, not installed) and the publisher and summary line.
  add_library(prynda_settings_action MODULE ${PROJECT_SOURCE_DIR}/packaging/windows/settings_action.cc)
  target_link_libraries(prynda_settings_action PRIVATE msi)
  target_link_options(prynda_settings_action PRIVATE -static)
  set_target_properties(prynda_settings_action PROPERTIES PREFIX "")
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/prynda-msi.wxi CONTENT
"<?xml version=\"1.0\" encoding=\"utf-8\"?>
<Include>
  <?define Manufacturer = \"${CPACK_PACKAGE_VENDOR}\"?>
  <?define Description = \"Prynda: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\"?>
  <?define SettingsAction = \"$<TARGET_FILE_NAME:prynda_settings_action>\"?>
</Include>
")

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME prynda-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

set(PRYNDA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/prynda)
set(PRYNDA_SETTINGS_DIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/prynda)

# The man page and the changelog, compressed as Debian keeps them (without a time stamp, so that
# the same sources give the same bytes).
configure_file(${PROJECT_SOURCE_DIR}/docs/prynda.1.in prynda.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog changelog COPYONLY)
add_custom_command(OUTPUT prynda.1.gz COMMAND gzip -9nkf prynda.1
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/prynda.1 VERBATIM)
add_custom_command(OUTPUT changelog.gz COMMAND gzip -9nkf changelog
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(prynda_docs ALL DEPENDS prynda.1.gz changelog.gz)

install(TARGETS prynda RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The CUPS backend goes where the scheduler looks for backends: lib/cups/backend below /usr on
# Debian, whatever the architecture (CUPS's ServerBin). Mode 0755, so that the scheduler runs it
# as its unprivileged user, lp; one that group and others may not run would be run as root.
install(TARGETS prynda_backend RUNTIME DESTINATION lib/cups/backend
        PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/prynda.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${PRYNDA_DOC_DIR})
install(FILES ${PRYNDA_MANUAL_PAGES} ${PRYNDA_MANUAL_PICTURES} DESTINATION ${PRYNDA_DOC_DIR}/docs)
install(FILES ${PRYNDA_SAMPLES} ${PRYNDA_SETTINGS_FILE} DESTINATION ${PRYNDA_DOC_DIR}/examples)
install(FILES ${PRYNDA_SETTINGS_FILE} DESTINATION ${PRYNDA_SETTINGS_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME prynda)

# The Debian package. Its dependencies: the shared libraries dpkg-shlibdeps finds, and those the
# program opens itself when it first needs them (libcups, HarfBuzz's subsetter, qpdf's library for
# PDF forms, libmagic with which recognition tells documents, pictures and archives: the versions
# that have every function it takes from them), and the faces of the built-in fonts; Ghostscript
# is recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcups2 (>= 1.7.0), libharfbuzz-subset0 (>= 6.0.0), libqpdf29 (>= 11.0.0), libmagic1 (>= 1:5.38), fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS cups)  # the printers; without a scheduler only "Prynda PDF" prints
# Recommended: libuchardet, opened when recognition meets a tie among code pages it can break
# (without it the table order breaks the tie); ghostscript, which "Prynda PDF" runs on PostScript
# jobs and says is needed when it is missing (every other job prints without it; CUPS queues
# convert PostScript with their own filters); the decoders of pictures, each opened only when a
# picture of its format is printed (without one that format is refused by name, every other job
# prints): libjpeg-turbo's TurboJPEG, libtiff 4.5 (its open options), giflib 5 and gdk-pixbuf's BMP
# loader; libgxps, opened when a job is an XPS document to make it a PDF (0.3.0 reads OpenXPS too;
# without it such a job is refused by name); libzint 2.11 (the soname it is opened by), opened when a
# job first draws a bar code or a QR code (without it the codes are named on the console as not
# drawn, everything else prints), and fonts-ocr-b for the codes' digits. Raster documents are read
# by libcups itself (2.3 and later). The faces of FX mode's typefaces (ESC k) Liberation does not
# give: Script (Z003 of urw-base35), Prestige and Orator (Courier Prime), OCR-B, OCR-A; without one
# that family prints in the job's own font.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS "libuchardet0 (>= 0.0.7)" ghostscript libturbojpeg0
       "libtiff6 (>= 4.5.0)" libgif7 libgdk-pixbuf-2.0-0 "libgxps2 (>= 0.3.0)" libzint2.11
       fonts-urw-base35 fonts-courier-prime fonts-ocr-b fonts-ocr-a)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/conffiles CONTENT "${PRYNDA_SETTINGS_DIR}/prynda.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Prynda prints the raw files that DOS programs write for Epson-style
dot-matrix printers - invoices, ledgers, stock lists with Polish letters in
CP852 or Mazovia, DOS box-drawing frames - on CUPS printers and as PDF
files. The page looks as the dot-matrix printer would have printed it: every
character centred in its cell, frames drawn as joined lines, pages broken
where the file says.

It is a console program, started by the DOS program, an emulator or a script
with the file to print and a few options; it prints one job and ends. Its CUPS
backend (prynda:/QUEUE) makes a print server of CUPS: DOS machines send their
raw jobs to a queue, and Prynda's pages come out on the office printer.")
include(CPack)
