# What a Windows user downloads, made from the installation folder into build/package:
#   Quorvex-<version>-win64.zip    the folder as it is, inside one top folder "Clipboard Quorvex"
#   Quorvex-<version>-setup.exe    the per-user setup program (release/Setup.nsi)
# "cmake --build build --target package" makes both.
find_program(MAKENSIS makensis REQUIRED)

set(QUORVEX_PACKAGE ${CMAKE_BINARY_DIR}/package)
set(QUORVEX_ZIP ${QUORVEX_PACKAGE}/Quorvex-${PROJECT_VERSION}-win64.zip)
set(QUORVEX_SETUP ${QUORVEX_PACKAGE}/Quorvex-${PROJECT_VERSION}-setup.exe)

# Only the files the build put there: a program started in build/dist by hand would have left
# its clips and log beside them.
set(staged "${QUORVEX_PACKAGE}/stage/Clipboard Quorvex")
list(TRANSFORM QUORVEX_DIST_FILES PREPEND ${QUORVEX_DIST}/ OUTPUT_VARIABLE dist_files)
list(TRANSFORM QUORVEX_DIST_FOLDERS PREPEND ${staged}/ OUTPUT_VARIABLE staged_folders)
add_custom_command(OUTPUT ${QUORVEX_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUORVEX_PACKAGE}/stage ${QUORVEX_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${staged_folders}
  COMMAND ${CMAKE_COMMAND} -E copy ${dist_files} ${staged}
  COMMAND ${CMAKE_COMMAND} -E chdir ${QUORVEX_PACKAGE}/stage
          ${CMAKE_COMMAND} -E tar cf ${QUORVEX_ZIP} --format=zip "Clipboard Quorvex"
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUORVEX_PACKAGE}/stage
  DEPENDS Quorvex ${dist_files}
  COMMENT "Packing ${QUORVEX_ZIP}"
  VERBATIM)

set(setup_script ${PROJECT_SOURCE_DIR}/release/Setup.nsi)
add_custom_command(OUTPUT ${QUORVEX_SETUP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEX_PACKAGE}
  COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DDIST=${QUORVEX_DIST} -DOUTFILE=${QUORVEX_SETUP}
          ${setup_script}
  DEPENDS Quorvex ${dist_files} ${setup_script} ${PROJECT_SOURCE_DIR}/res/quorvex.ico
          ${PROJECT_SOURCE_DIR}/res/wizard.bmp
  COMMENT "Making ${QUORVEX_SETUP}"
  VERBATIM)

add_custom_target(package DEPENDS ${QUORVEX_ZIP} ${QUORVEX_SETUP})
