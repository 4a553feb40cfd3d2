# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT

# CPack settings: `make package` (or `cpack` in a build folder) turns what
# `cmake --install` puts in place into tarnwick_<version>_<arch>.deb.
# Its dependencies come from the libraries the program links (dpkg-shlibdeps),
# so a Qt 6 build depends on libqt6widgets6 and a Qt 5 build on libqt5widgets5.

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "Tarnwick developers")
set(CPACK_PACKAGE_CONTACT "Tarnwick developers <dev@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tarnwick.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Without this CPack falls back to a placeholder text of its own.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tarnwick shows the resolution of the screen beside the display\n"
    "resolution that Warcraft III keeps in its video settings, and stores\n"
    "a new width and height for the game: in the registry on Windows, in\n"
    "the Wine prefix's registry file elsewhere.")
set(CPACK_STRIP_FILES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's captions are Chinese; without a CJK font they show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wqy-microhei)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
