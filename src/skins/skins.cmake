# The skin pictures, icons and component pictures, drawn by tools/skingen
# (`cmake --build <dir> --target regenerate-skins` redraws them here).

# The bundled skins, one folder each (skin.json and its pictures).
set(QUARN_BUNDLED_SKINS classic light high-contrast)
foreach(skin IN LISTS QUARN_BUNDLED_SKINS)
  file(GLOB QUARN_SKIN_FILES_${skin} CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_LIST_DIR}/${skin}/skin.json" "${CMAKE_CURRENT_LIST_DIR}/${skin}/*.png")
endforeach()

# Carried inside the program, read as :/skins/<name>; Classic's folder too, as
# :/skins/classic/<name>, the skin the program falls back on when it finds no
# skin folder.
qt_add_resources(quarn_windows "skins"
  PREFIX "/skins"
  BASE ${CMAKE_CURRENT_LIST_DIR}
  FILES
    ${QUARN_SKIN_FILES_classic}
    ${CMAKE_CURRENT_LIST_DIR}/splash.jpg
    ${CMAKE_CURRENT_LIST_DIR}/about.png
    ${CMAKE_CURRENT_LIST_DIR}/about-picture1.png
    ${CMAKE_CURRENT_LIST_DIR}/about-picture2.png
    ${CMAKE_CURRENT_LIST_DIR}/quarn.ico
    ${CMAKE_CURRENT_LIST_DIR}/menus.ico
    ${CMAKE_CURRENT_LIST_DIR}/cmdlg.gif
    ${CMAKE_CURRENT_LIST_DIR}/dlgs.gif)

# Read by the program at run time from its data folder: the intro sound, the
# About animation's frames and the skins. A plain build copies them beside the
# program.
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
# The skins go to skins/<name>/ beside the program.
foreach(skin IN LISTS QUARN_BUNDLED_SKINS)
  foreach(source IN LISTS QUARN_SKIN_FILES_${skin})
    get_filename_component(name "${source}" NAME)
    set(copy "${QUARN_RUNTIME_DIR}/skins/${skin}/${name}")
    add_custom_command(OUTPUT "${copy}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${copy}"
      DEPENDS "${source}"
      VERBATIM)
    list(APPEND quarn_copied_files "${copy}")
  endforeach()
endforeach()
add_custom_target(quarn_runtime_files DEPENDS ${quarn_copied_files})
add_dependencies(quarn_windows quarn_runtime_files)
# Installed, they go to <prefix>/share/quarn-media-player, where the program
# looks for them when they are not beside it.
include(GNUInstallDirs)
install(FILES ${QUARN_FILES_BESIDE_PROGRAM}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quarn-media-player)
foreach(skin IN LISTS QUARN_BUNDLED_SKINS)
  install(FILES ${QUARN_SKIN_FILES_${skin}}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/quarn-media-player/skins/${skin})
endforeach()
