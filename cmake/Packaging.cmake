# Installing the player like any desktop program (`cmake --install <build>`,
# GNU directories under CMAKE_INSTALL_PREFIX) and the Debian package
# (`cpack -G DEB` in the build folder). Only the player and its files are
# installed: the tests, the asset generators and the benchmarks are not.

include(GNUInstallDirs)

set(QUARN_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(QUARN_ICON_DIR ${QUARN_SKINS_DIR}/icons)

# The manual page and the changelog are installed compressed, as Debian has
# them: gzip -9n stores no name and no time, so the same text always makes the
# same bytes.
find_program(QUARN_GZIP gzip REQUIRED)
set(QUARN_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/compressed)
set(quarn_compressed_files)
foreach(name quarn-media-player.1 changelog)
  set(copy ${QUARN_COMPRESSED_DIR}/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${QUARN_DATA_DIR}/${name} ${copy}
    COMMAND ${QUARN_GZIP} -9nf ${copy}
    DEPENDS ${QUARN_DATA_DIR}/${name}
    VERBATIM)
  list(APPEND quarn_compressed_files ${copy}.gz)
endforeach()
add_custom_target(quarn_compressed_files ALL DEPENDS ${quarn_compressed_files})

install(TARGETS quarn-media-player RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The intro sound and the About frames go to share/quarn-media-player (see
# skins.cmake beside the skin pictures), where the program looks for them
# when they are not beside it.
install(FILES ${QUARN_DATA_DIR}/quarn-media-player.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUARN_DATA_DIR}/org.example.quarn.media_player.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUARN_COMPRESSED_DIR}/quarn-media-player.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The copyright (machine-readable, with the licence that the metainfo's
# project_license names) and the changelog (in Debian's format, named as for
# a package that is its own upstream) go where Debian keeps a package's.
install(FILES ${QUARN_DATA_DIR}/copyright ${QUARN_COMPRESSED_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quarn-media-player)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${QUARN_ICON_DIR}/quarn-media-player-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quarn-media-player.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarn-media-player)
set(CPACK_PACKAGE_VENDOR "The QUARN Media Player developers")
set(CPACK_PACKAGE_CONTACT "QUARN Media Player developers <quarn-media-player@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinned player for video and audio files and streams")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quarn.example.org/")
# The summary above is the description's first line; this follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "QUARN Media Player plays video and audio in small frameless windows that
take their look and outline from their skins: the video in a main window that
fits itself to the picture, the name of what plays in a title strip above it,
and the controls, the time and a seek bar in a toolbar below. Several files or
a folder form a play queue; http and https URLs play as streams. Playback is
done by libmpv.")
# The libraries the program links come from dpkg-shlibdeps; what it loads at
# run time it cannot see: the toolkit's display plugins, and the fonts that
# stand in for the skins' own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-comic-neue")
include(CPack)
