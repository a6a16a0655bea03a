# The DLLs the Windows programs load, put beside them in the build tree (so the tests and the
# programs run there under Wine) and installed beside them by the package: the MinGW runtime, and
# with the windows the Qt libraries, QCustomPlot and the three Qt plugins they load. All are
# stripped of their symbols (libstdc++ is 24 MB with them, 2 MB without; Qt6Gui 12.9 MB, 8.9 MB).
set(_mingw_runtime
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
find_program(PZAM_MINGW_STRIP x86_64-w64-mingw32-strip REQUIRED)

set(_stripped)
foreach(dll IN LISTS _mingw_runtime)
  get_filename_component(_name ${dll} NAME)
  add_custom_command(OUTPUT ${PZAM_BIN_DIR}/${_name}
    COMMAND ${PZAM_MINGW_STRIP} --strip-unneeded -o ${PZAM_BIN_DIR}/${_name} ${dll}
    DEPENDS ${dll})
  list(APPEND _stripped ${PZAM_BIN_DIR}/${_name})
endforeach()
set(PZAM_RUNTIME_DLLS ${_stripped})
set(PZAM_QT_PLUGINS)
set(_copy)
if(PZAM_BUILD_UI)
  # Imported targets are seen in the folder that found them: find them here too.
  find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport)
  find_package(QCustomPlotQt6 REQUIRED)
  foreach(t Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport QCustomPlotQt6::QCustomPlotQt6)
    list(APPEND PZAM_RUNTIME_DLLS ${PZAM_BIN_DIR}/$<TARGET_FILE_NAME:${t}>)
    list(APPEND _copy COMMAND ${PZAM_MINGW_STRIP} --strip-unneeded -o
         ${PZAM_BIN_DIR}/$<TARGET_FILE_NAME:${t}> $<TARGET_FILE:${t}>)
  endforeach()
  foreach(pair IN ITEMS "platforms=Qt6::QWindowsIntegrationPlugin"
                        "styles=Qt6::QWindowsVistaStylePlugin" "imageformats=Qt6::QJpegPlugin")
    string(REPLACE "=" ";" pair ${pair})
    list(GET pair 0 kind)
    list(GET pair 1 t)
    list(APPEND PZAM_QT_PLUGINS "${kind}=${PZAM_BIN_DIR}/${kind}/$<TARGET_FILE_NAME:${t}>")
    list(APPEND _copy COMMAND ${CMAKE_COMMAND} -E make_directory ${PZAM_BIN_DIR}/${kind}
         COMMAND ${PZAM_MINGW_STRIP} --strip-unneeded -o
         ${PZAM_BIN_DIR}/${kind}/$<TARGET_FILE_NAME:${t}> $<TARGET_FILE:${t}>)
  endforeach()
endif()
add_custom_target(pzam_windows_runtime ALL ${_copy} DEPENDS ${_stripped} VERBATIM)
