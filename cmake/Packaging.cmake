# The Debian package: `cpack -G DEB` in a Release build tree makes
# mileledger_<version>_<arch>.deb from what `cmake --install` puts in place.
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/mileledger")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mileledger)
set(CPACK_PACKAGE_VENDOR "MileLedger maintainers")
set(CPACK_PACKAGE_CONTACT "MileLedger maintainers <maintainers@users.noreply.c-seed-200893db.example>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "company car trips and operation log from a GNSS data logger")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "MileLedger downloads the log of a GNSS data logger (MTK or PHLX) over a\n"
  "serial port, cuts the fixes into trips, works out times, distances and\n"
  "addresses, keeps them in a year ledger (an SQLite file or a PostgreSQL\n"
  "database) and prints the business passenger car operation log and the\n"
  "mileage refund record.\n"
  ".\n"
  "The package holds the desktop program, the command-line tool\n"
  "mileledger-cli and a logger simulator that the program starts when no\n"
  "logger is attached.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link come from dpkg-shlibdeps (dpkg-dev).
# What they load at run time it cannot see: the SVG icon plugins and the
# Korean font the forms are drawn with. (The web engine's helper process,
# libqt6webenginecore6-bin, comes with the web engine library's own entry.)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(MILELEDGER_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-nanum")
  # Qt's own texts (standard buttons, file and print dialogs) in Korean.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()

include(CPack)
