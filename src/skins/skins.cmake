# The skin pictures, icons and component pictures, drawn by tools/skingen
# (`cmake --build <dir> --target regenerate-skins` redraws them here).

# Carried inside the program, read as :/skins/<name>.
qt_add_resources(quarn_windows "skins"
  PREFIX "/skins"
  BASE ${CMAKE_CURRENT_LIST_DIR}
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/toolbar.png
    ${CMAKE_CURRENT_LIST_DIR}/songname.png
    ${CMAKE_CURRENT_LIST_DIR}/play.png
    ${CMAKE_CURRENT_LIST_DIR}/pause.png
    ${CMAKE_CURRENT_LIST_DIR}/stop.png
    ${CMAKE_CURRENT_LIST_DIR}/open.png
    ${CMAKE_CURRENT_LIST_DIR}/effects.png
    ${CMAKE_CURRENT_LIST_DIR}/exit.png
    ${CMAKE_CURRENT_LIST_DIR}/playlist-top.png
    ${CMAKE_CURRENT_LIST_DIR}/playlist-middle.png
    ${CMAKE_CURRENT_LIST_DIR}/playlist-bottom.png
    ${CMAKE_CURRENT_LIST_DIR}/overlay-left.png
    ${CMAKE_CURRENT_LIST_DIR}/overlay-middle.png
    ${CMAKE_CURRENT_LIST_DIR}/overlay-right.png
    ${CMAKE_CURRENT_LIST_DIR}/tile.png
    ${CMAKE_CURRENT_LIST_DIR}/splash.jpg
    ${CMAKE_CURRENT_LIST_DIR}/about.png
    ${CMAKE_CURRENT_LIST_DIR}/about-picture1.png
    ${CMAKE_CURRENT_LIST_DIR}/about-picture2.png
    ${CMAKE_CURRENT_LIST_DIR}/quarn.ico
    ${CMAKE_CURRENT_LIST_DIR}/menus.ico
    ${CMAKE_CURRENT_LIST_DIR}/cmdlg.gif
    ${CMAKE_CURRENT_LIST_DIR}/dlgs.gif)

# Read by the program at run time from its data folder: the intro sound and
# the About animation's frames. A plain build copies them beside the program.
set(QUARN_FILES_BESIDE_PROGRAM
  "${CMAKE_CURRENT_LIST_DIR}/intro.mp3"
  "${CMAKE_CURRENT_LIST_DIR}/quarn 1.bmp"
  "${CMAKE_CURRENT_LIST_DIR}/quarn 2.bmp"
  "${CMAKE_CURRENT_LIST_DIR}/quarn 3.bmp"
  "${CMAKE_CURRENT_LIST_DIR}/quarn 4.bmp")
set(quarn_copied_files)
foreach(source IN LISTS QUARN_FILES_BESIDE_PROGRAM)
  get_filename_component(name "${source}" NAME)
  add_custom_command(OUTPUT "${QUARN_RUNTIME_DIR}/${name}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${QUARN_RUNTIME_DIR}/${name}"
    DEPENDS "${source}"
    VERBATIM)
  list(APPEND quarn_copied_files "${QUARN_RUNTIME_DIR}/${name}")
endforeach()
add_custom_target(quarn_runtime_files DEPENDS ${quarn_copied_files})
add_dependencies(quarn_windows quarn_runtime_files)
# Installed, they go to <prefix>/share/quarn-media-player, where the program
# looks for them when they are not beside it.
include(GNUInstallDirs)
install(FILES ${QUARN_FILES_BESIDE_PROGRAM}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quarn-media-player)
