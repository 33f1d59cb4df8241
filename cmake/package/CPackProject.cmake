# Per generator: the installer's file name, and the zip's folder with the
# README as text and the licence beside the program.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
