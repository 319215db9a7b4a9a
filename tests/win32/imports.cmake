# Checks of the shipped exe itself. It must load on Windows 95 and NT 4.0:
# every import checked against the reference list of what those systems
# export. Only the i686 exe is shipped: the x86_64 build has none of these.
if(LNF_PRODUCT_EXE AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME ImportsExistOnWindows95AndNT4
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/imports/check_imports.py
            i686-w64-mingw32-objdump ${LNF_PRODUCT_EXE}
            ${PROJECT_SOURCE_DIR}/tests/imports/win32-exports-95-nt4.tsv
            ${PROJECT_SOURCE_DIR}/tests/imports/allowed-imports.tsv)

  # The application manifest that makes Windows Vista and later draw the
  # window at the screen's own DPI.
  add_test(NAME ManifestIsEmbedded
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/exe/check_manifest.py
            ${LNF_PRODUCT_EXE})
  # The same sources built again elsewhere give the same bytes.
  add_test(NAME ProductBuildIsReproducible
    COMMAND ${PROJECT_SOURCE_DIR}/tests/exe/check-reproducible.sh ${PROJECT_SOURCE_DIR}
            ${LNF_PRODUCT_EXE})
  set_tests_properties(ProductBuildIsReproducible PROPERTIES TIMEOUT 600)
  # The release zip of scripts/release.sh: the same bytes every time.
  add_test(NAME ReleaseZipIsTheSameEveryTime
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/exe/check_release.py
            ${PROJECT_SOURCE_DIR}/scripts/pack-release.py ${LNF_PRODUCT_EXE}
            ${PROJECT_SOURCE_DIR}/release/README.txt)
endif()
