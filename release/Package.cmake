# What a Windows user downloads, made from the installation folder into build/package:
#   Quorvex-<version>-win64.zip    the folder as it is, inside one top folder "Clipboard Quorvex"
#   Quorvex-<version>-setup.exe    the per-user setup program (release/Setup.nsi)
# "cmake --build build --target package" makes both. With -DQUORVEX_SIGN=ON, scripts/sign.sh signs
# Quorvex.exe once it is linked and the uninstaller and the setup as NSIS makes them, with the
# certificate the environment names (see the script); without it the build signs nothing.
find_program(MAKENSIS makensis REQUIRED)
option(QUORVEX_SIGN "Sign Quorvex.exe, the uninstaller and the setup with scripts/sign.sh" OFF)
set(QUORVEX_SIGN_TOOL ${PROJECT_SOURCE_DIR}/scripts/sign.sh)
if(QUORVEX_SIGN)
  add_custom_command(TARGET Quorvex POST_BUILD COMMAND ${QUORVEX_SIGN_TOOL} $<TARGET_FILE:Quorvex> VERBATIM)
  set(setup_signing -DSIGN=${QUORVEX_SIGN_TOOL})
endif()

# The setup writes and removes the registry data the program uses and names the maker's page the
# About box names: it takes them from the program's code, where each is defined once.
set(setup_sources)
function(setup_takes_from_code source constant define)
  file(STRINGS ${PROJECT_SOURCE_DIR}/${source} line REGEX "^const wchar_t ${constant}\\[\\] = L\"[^\"]*\";")
  if(NOT line MATCHES "L\"([^\"]*)\"")
    message(FATAL_ERROR "${source} no longer defines ${constant}, which the setup program takes from it")
  endif()
  string(REPLACE "\\\\" "\\" text "${CMAKE_MATCH_1}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${source})
  set(QUORVEX_SETUP_DEFINITIONS ${QUORVEX_SETUP_DEFINITIONS} -D${define}=${text} PARENT_SCOPE)
  set(setup_sources ${setup_sources} ${PROJECT_SOURCE_DIR}/${source} PARENT_SCOPE)
endfunction()
# What makensis is told besides the installation folder, the setup's name and the signing.
set(QUORVEX_SETUP_DEFINITIONS -DVERSION=${PROJECT_VERSION})
setup_takes_from_code(projects/Settings.cpp kProgramKey SETTINGS_KEY)
setup_takes_from_code(projects/Settings.cpp kRunValue RUN_VALUE)
setup_takes_from_code(app/AboutDlg.cpp kMakerSite MAKER_PAGE)

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
  COMMAND ${MAKENSIS} -V2 ${QUORVEX_SETUP_DEFINITIONS} -DDIST=${QUORVEX_DIST} -DOUTFILE=${QUORVEX_SETUP}
          ${setup_signing} ${setup_script}
  DEPENDS Quorvex ${dist_files} ${setup_script} ${setup_sources} ${PROJECT_SOURCE_DIR}/res/quorvex.ico
          ${PROJECT_SOURCE_DIR}/res/wizard.bmp
  COMMENT "Making ${QUORVEX_SETUP}"
  VERBATIM)

add_custom_target(package DEPENDS ${QUORVEX_ZIP} ${QUORVEX_SETUP})
