# The Debian package, made by CPack from the install rules: `cpack --preset release` after a
# release build (scripts/package.sh does both). Binaries are stripped; the libraries they
# need are found by dpkg-shlibdeps, the rest is named below.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TARVO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TARVO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "view and wipe the generation parameters in Tarvo pictures")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The image service Tarvo writes the parameters a picture was made with (prompt,\n"
    "negative prompt, seed, job id and more) into every PNG, JPEG and WebP file it\n"
    "makes. TarvoViewer leafs through a folder of such pictures and shows the\n"
    "parameters next to each picture; it speaks Russian on a Russian desktop and\n"
    "English on any other. It wipes the prompt, negative prompt, seed and job id\n"
    "from one picture or a whole folder by overwriting them with spaces, leaving\n"
    "every other byte of the file as it was.\n"
    "\n"
    "The command-line tool tarvo-params shows, wipes and lists the same parameters\n"
    "from a terminal or a script.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TARVO_URL_PROJECT})
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no binary links but the window needs: the condensed face its help text is laid out
# in, and Qt's platform plugins, which Qt loads at run time (libqt6gui6 only recommends them).
if(TARVO_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra, qt6-qpa-plugins")
endif()

include(CPack)
