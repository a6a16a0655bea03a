# The Windows installer (CPack NSIS) and the portable .zip: the programs, the language files and
# exactly the DLLs and Qt plugins they load, all in one folder as Windows programs keep them.
# The settings file is written beside PZAM.exe where that folder is writable, else in
# %APPDATA%\pzam\.
set(_programs PZAM pzam-tool)
install(TARGETS ${_programs} RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/lang/lng_deutsch.lng ${PROJECT_SOURCE_DIR}/lang/lng_english.lng
        DESTINATION .)
install(FILES ${PZAM_RUNTIME_DLLS} DESTINATION .)
foreach(pair IN LISTS PZAM_QT_PLUGINS)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 kind)
  list(GET pair 1 plugin)
  install(FILES ${plugin} DESTINATION ${kind})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION doc)
install(FILES ${PROJECT_SOURCE_DIR}/samples/zam2000_mode0.cap DESTINATION doc/examples)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME P-ZAM)
set(CPACK_PACKAGE_VENDOR "P-ZAM developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data acquisition from digital length gauges")
set(CPACK_PACKAGE_FILE_NAME "pzam-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "P-ZAM")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "P-ZAM")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The Start-menu entry: PZAM.exe as "P-ZAM".
set(CPACK_PACKAGE_EXECUTABLES "PZAM;P-ZAM")
# A 64-bit installer (NSIS's amd64 stubs) for the 64-bit programs, into "Program Files".
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "P-ZAM ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "P-ZAM")
set(CPACK_NSIS_INSTALLED_ICON_NAME "PZAM.exe")
set(CPACK_NSIS_URL_INFO_ABOUT ${PZAM_HOMEPAGE})
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "PZAM.exe")
set(CPACK_ZIP_COMPONENT_INSTALL OFF)
include(CPack)
