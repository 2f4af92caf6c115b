# The Windows installer (NSIS: Start-menu entry, uninstaller) and a ZIP of the
# same files, made by CPack from the install rules (tools/package-windows).
# The window and, beside it, the command line r742.exe.
install(TARGETS r742-outputs r742 RUNTIME DESTINATION . COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION . COMPONENT program)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME "R742 Analogue Outputs")
set(CPACK_PACKAGE_VENDOR "R742")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})  # 3.001 as written, not 3.1
set(CPACK_PACKAGE_FILE_NAME "r742-outputs-${PROJECT_VERSION}-win64")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_PACKAGE_FILE_NAME "r742-outputs-${PROJECT_VERSION}-win32")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configures the analogue outputs of an R742 node over Modbus RTU")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "R742 Analogue Outputs")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "R742 Analogue Outputs")
# The Start-menu entry starts in the user's Documents folder: the program writes
# its traffic log (kesTestLog.txt) to the current folder, and the installation
# folder is not writable for a user.
# (Four backslashes make one: CMake reads this text twice, here and in CPackConfig.cmake.)
set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  SetOutPath '$DOCUMENTS'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\R742 Analogue Outputs.lnk' '$INSTDIR\\\\r742-outputs.exe'
  SetOutPath '$INSTDIR'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\R742 Analogue Outputs.lnk'")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)  # the debug information stays in the build tree

set(CPACK_NSIS_PACKAGE_NAME "R742 Analogue Outputs ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "R742 Analogue Outputs ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME "r742-outputs.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
endif()
if(DEFINED R742_ICON_FILE)
  set(CPACK_NSIS_MUI_ICON ${R742_ICON_FILE})
  set(CPACK_NSIS_MUI_UNIICON ${R742_ICON_FILE})
endif()
include(CPack)
