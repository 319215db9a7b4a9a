# End-to-end tests: e2e_tests.exe drives the real LNF_INVTOOL.exe under Wine,
# in a virtual desktop on an X server (Xvfb) that the fixture starts when none
# is given. tests/e2e/run-e2e.sh does the Wine and X work.

set(LNF_E2E_WINVER "" CACHE STRING
  "Windows version the e2e prefix reports (win98, win2k, winxp, win10; empty: Wine's own)")
set(LNF_E2E_DPI "96" CACHE STRING "DPI of the e2e prefix (96, 120 or 144)")
set(LNF_E2E_DRIVE "C" CACHE STRING "Drive letter that plays the tool's system drive")
set(LNF_E2E_GROUPS "MainWindow;InventoryCheck;Backup;NonAnsiNames;StartupWarning;OtherDrive"
  CACHE STRING
  "Test groups to register (a smoke run picks a few)")

set(LNF_E2E_DIR ${PROJECT_SOURCE_DIR}/tests/e2e)
add_executable(e2e_tests
  ${LNF_E2E_DIR}/Main.cpp
  ${LNF_E2E_DIR}/Driver.cpp
  ${LNF_E2E_DIR}/Desktop.cpp
  ${LNF_E2E_DIR}/Scratch.cpp
  ${LNF_E2E_DIR}/ToolTest.cpp
  ${LNF_E2E_DIR}/MainWindowTest.cpp
  ${LNF_E2E_DIR}/InventoryCheckTest.cpp
  ${LNF_E2E_DIR}/BackupTest.cpp
  ${LNF_E2E_DIR}/NonAnsiNamesTest.cpp
  ${LNF_E2E_DIR}/StartupWarningTest.cpp
)
# lnf_core for the control table only: the tests know the window by its IDs
# and its table, nothing else of the tool.
target_link_libraries(e2e_tests PRIVATE lnf_core GTest::gtest gdi32 user32 advapi32)
# Static, so that Wine needs none of MinGW's DLLs beside the program.
target_link_options(e2e_tests PRIVATE -static)

if(NOT LNF_PRODUCT_EXE)
  message(STATUS "e2e: LNF_PRODUCT_EXE not set, end-to-end tests not registered")
  return()
endif()

set(LNF_E2E_RUN ${LNF_E2E_DIR}/run-e2e.sh)
set(LNF_E2E_ENV
  "LNF_BUILD_DIR=${CMAKE_BINARY_DIR}"
  "LNF_E2E_STATE=${CMAKE_BINARY_DIR}/e2e"
  "LNF_E2E_PRODUCT=${LNF_PRODUCT_EXE}"
  "LNF_E2E_WINVER=${LNF_E2E_WINVER}"
  "LNF_E2E_DPI=${LNF_E2E_DPI}"
  "LNF_E2E_DRIVE=${LNF_E2E_DRIVE}"
  "LNF_E2E_SCREENSHOTS=${CMAKE_BINARY_DIR}/screenshots")

add_test(NAME e2e_setup COMMAND ${LNF_E2E_RUN} setup)
add_test(NAME e2e_teardown COMMAND ${LNF_E2E_RUN} teardown)
set_tests_properties(e2e_setup PROPERTIES FIXTURES_SETUP lnf_e2e ENVIRONMENT "${LNF_E2E_ENV}"
  TIMEOUT 300)
set_tests_properties(e2e_teardown PROPERTIES FIXTURES_CLEANUP lnf_e2e
  ENVIRONMENT "${LNF_E2E_ENV}" TIMEOUT 60)

# The tool takes its system drive from windir's first letter: the same cases
# with Windows and the client folders on drive E:.
if("OtherDrive" IN_LIST LNF_E2E_GROUPS)
  list(REMOVE_ITEM LNF_E2E_GROUPS OtherDrive)
  add_test(NAME e2e_OtherDrive COMMAND ${LNF_E2E_RUN} run $<TARGET_FILE:e2e_tests>
    "--gtest_filter=InventoryCheck.Lists*:Backup.V3*:Backup.V4Copies*:Backup.OfficeUpdateCopies*")
  set(LNF_E2E_ENV_E ${LNF_E2E_ENV})
  list(FILTER LNF_E2E_ENV_E EXCLUDE REGEX "^LNF_E2E_(DRIVE|SCREENSHOTS)=")
  set_tests_properties(e2e_OtherDrive PROPERTIES FIXTURES_REQUIRED lnf_e2e
    RESOURCE_LOCK lnf_e2e_prefix ENVIRONMENT "${LNF_E2E_ENV_E};LNF_E2E_DRIVE=E" TIMEOUT 240)
endif()

foreach(group IN LISTS LNF_E2E_GROUPS)
  add_test(NAME e2e_${group}
    COMMAND ${LNF_E2E_RUN} run $<TARGET_FILE:e2e_tests> --gtest_filter=${group}.*)
  # One prefix and one scratch drive: the groups take turns.
  set_tests_properties(e2e_${group} PROPERTIES FIXTURES_REQUIRED lnf_e2e
    RESOURCE_LOCK lnf_e2e_prefix ENVIRONMENT "${LNF_E2E_ENV}" TIMEOUT 240)
endforeach()
