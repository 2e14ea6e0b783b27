# Third-party packages, all from Debian (see README.md for the package list).
find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui Widgets Xml Network SerialPort Svg Test)

# Qwt ships no CMake config on Debian.
find_path(QWT_INCLUDE_DIR qwt_plot.h PATH_SUFFIXES qwt qwt-qt5 qwt6)
find_library(QWT_LIBRARY NAMES qwt-qt5 qwt6-qt5 qwt)
if(NOT QWT_INCLUDE_DIR OR NOT QWT_LIBRARY)
  message(FATAL_ERROR "Qwt 6 for Qt 5 not found (Debian package libqwt-qt5-dev)")
endif()
add_library(Qwt::Qwt UNKNOWN IMPORTED)
set_target_properties(Qwt::Qwt PROPERTIES
  IMPORTED_LOCATION "${QWT_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${QWT_INCLUDE_DIR}"
  INTERFACE_LINK_LIBRARIES "Qt5::Widgets;Qt5::Svg")

find_package(PkgConfig REQUIRED)
pkg_check_modules(HIDAPI REQUIRED IMPORTED_TARGET hidapi-hidraw)
# The schema check of panel files (Debian package libxml2-dev).
pkg_check_modules(LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
# SHA-256 of the checksums (Debian package libssl-dev): its digest uses the
# processor's SHA instructions, several times as fast as Qt's own.
pkg_check_modules(LIBCRYPTO REQUIRED IMPORTED_TARGET libcrypto)

# Python before pybind11, so pybind11 picks the same interpreter.
find_package(Python3 REQUIRED COMPONENTS Interpreter Development)
find_package(pybind11 CONFIG REQUIRED)
