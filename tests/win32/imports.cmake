# The shipped exe must load on Windows 95 and NT 4.0: every import checked
# against the reference list of what those systems export.
if(LNF_PRODUCT_EXE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME ImportsExistOnWindows95AndNT4
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/imports/check_imports.py
            i686-w64-mingw32-objdump ${LNF_PRODUCT_EXE}
            ${PROJECT_SOURCE_DIR}/tests/imports/win32-exports-95-nt4.tsv
            ${PROJECT_SOURCE_DIR}/tests/imports/allowed-imports.tsv)
endif()
