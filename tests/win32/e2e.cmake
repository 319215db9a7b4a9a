# End-to-end tests: e2e_tests.exe drives the real LNF_INVTOOL.exe under Wine,
# in a virtual desktop on an X server (Xvfb) that the fixture starts when none
# is given. tests/e2e/run-e2e.sh does the Wine and X work.

set(LNF_E2E_GROUPS "all" CACHE STRING "Test groups of the full run; all: every group")
# Kept out of the cache, so that a build folder configured before a group was
# added runs it too.
set(LNF_E2E_ALL_GROUPS
  "MainWindow;InventoryCheck;Backup;Collect;CollectFrom;NonAnsiNames;StartupWarning;OtherDrive")
if(LNF_E2E_GROUPS STREQUAL "all")
  set(LNF_E2E_RUN_GROUPS ${LNF_E2E_ALL_GROUPS})
else()
  set(LNF_E2E_RUN_GROUPS ${LNF_E2E_GROUPS})
endif()
set(LNF_E2E_MATRIX ON CACHE BOOL
  "Also run the smoke cases as Windows 98, 2000 and XP, and at 120 and 144 DPI")

set(LNF_E2E_DIR ${PROJECT_SOURCE_DIR}/tests/e2e)
include(${PROJECT_SOURCE_DIR}/tools/driver/driver.cmake)
add_executable(e2e_tests
  ${LNF_E2E_DIR}/Main.cpp
  ${LNF_E2E_DIR}/Desktop.cpp
  ${LNF_E2E_DIR}/Scratch.cpp
  ${LNF_E2E_DIR}/ToolTest.cpp
  ${LNF_E2E_DIR}/MainWindowTest.cpp
  ${LNF_E2E_DIR}/InventoryCheckTest.cpp
  ${LNF_E2E_DIR}/BackupCopyTest.cpp
  ${LNF_E2E_DIR}/BackupTroubleTest.cpp
  ${LNF_E2E_DIR}/CollectTest.cpp
  ${LNF_E2E_DIR}/NonAnsiNamesTest.cpp
  ${LNF_E2E_DIR}/StartupWarningTest.cpp
)
# The form for the control table only: the tests know the window by its IDs
# and its table, nothing else of the tool.
target_link_libraries(e2e_tests PRIVATE lnf_driver lnf_form GTest::gtest gdi32 user32 advapi32
  version)
# Static, so that Wine needs none of MinGW's DLLs beside the program.
target_link_options(e2e_tests PRIVATE -static)

# Another installation's system files, for the collection from it: DLLs
# holding nothing but a version resource, made here rather than checked in.
# A Windows 9x file numbers its build in the last field (4.10.0.2222 is
# Windows 98 SE's KERNEL32.DLL), an NT file in the third (5.0.2195.6717,
# Windows 2000's).
enable_language(RC)
set(LNF_E2E_OLD_FILES ${CMAKE_BINARY_DIR}/e2e-old-files)
function(lnf_e2e_old_file name version language)
  add_library(${name} SHARED ${LNF_E2E_DIR}/OldSystemFile.rc)
  target_compile_definitions(${name} PRIVATE LNF_FILE_VERSION=${version}
    LNF_FILE_LANGUAGE=${language})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll" LINKER_LANGUAGE CXX
    RUNTIME_OUTPUT_DIRECTORY ${LNF_E2E_OLD_FILES})
  # No code, so no entry point and no runtime.
  target_link_options(${name} PRIVATE -nostdlib -Wl,-e,0)
endfunction()
lnf_e2e_old_file(kernel32-98se "4,10,0,2222" 0x0409)
lnf_e2e_old_file(kernel32-2000 "5,0,2195,6717" 0x0407)
lnf_e2e_old_file(iexplore-6 "6,0,2800,1106" 0x0409)

# The headless start's driver, built here too so that a change to the
# driver that breaks it shows in the build.
add_executable(autopilot ${PROJECT_SOURCE_DIR}/tools/autopilot.cpp)
target_compile_options(autopilot PRIVATE -municode)
target_link_libraries(autopilot PRIVATE lnf_driver)
target_link_options(autopilot PRIVATE -municode -static)

if(NOT LNF_PRODUCT_EXE)
  message(STATUS "e2e: LNF_PRODUCT_EXE not set, end-to-end tests not registered")
  return()
endif()

set(LNF_E2E_RUN ${LNF_E2E_DIR}/run-e2e.sh)

# One configuration of the suite: its own prefix (Windows version and DPI),
# X server and scratch drives, set up and torn down by a fixture of its own.
#   lnf_e2e_config(NAME WINVER DPI GROUPS [FILTER])
# GROUPS are run one test each; FILTER, when given, is one smoke test instead.
function(lnf_e2e_config name winver dpi groups filter)
  set(env
    "LNF_BUILD_DIR=${CMAKE_BINARY_DIR}"
    "LNF_E2E_STATE=${CMAKE_BINARY_DIR}/e2e-${name}"
    "LNF_E2E_PRODUCT=${LNF_PRODUCT_EXE}"
    "LNF_E2E_WINVER=${winver}"
    "LNF_E2E_DPI=${dpi}"
    "LNF_E2E_DRIVE=C"
    "LNF_E2E_OLD_FILES=${LNF_E2E_OLD_FILES}"
    "LNF_E2E_SCREENSHOTS=${CMAKE_BINARY_DIR}/screenshots/${name}")
  set(fixture lnf_e2e_${name})
  add_test(NAME e2e_${name}_setup COMMAND ${LNF_E2E_RUN} setup)
  add_test(NAME e2e_${name}_teardown COMMAND ${LNF_E2E_RUN} teardown)
  set_tests_properties(e2e_${name}_setup PROPERTIES FIXTURES_SETUP ${fixture}
    ENVIRONMENT "${env}" TIMEOUT 300)
  set_tests_properties(e2e_${name}_teardown PROPERTIES FIXTURES_CLEANUP ${fixture}
    ENVIRONMENT "${env}" TIMEOUT 60)

  set(tests)
  if(filter)
    add_test(NAME e2e_${name}_smoke
      COMMAND ${LNF_E2E_RUN} run $<TARGET_FILE:e2e_tests> --gtest_filter=${filter})
    list(APPEND tests e2e_${name}_smoke)
  endif()
  # The tool takes its system drive from windir's first letter: the same cases
  # with Windows and the client folders on drive E:.
  if("OtherDrive" IN_LIST groups)
    list(REMOVE_ITEM groups OtherDrive)
    add_test(NAME e2e_${name}_OtherDrive COMMAND ${LNF_E2E_RUN} run $<TARGET_FILE:e2e_tests>
      "--gtest_filter=InventoryCheck.Lists*:Backup.V3*:Backup.V4Copies*:Backup.OfficeUpdateCopies*")
    set(env_e ${env})
    list(FILTER env_e EXCLUDE REGEX "^LNF_E2E_(DRIVE|SCREENSHOTS)=")
    set_tests_properties(e2e_${name}_OtherDrive PROPERTIES FIXTURES_REQUIRED ${fixture}
      RESOURCE_LOCK ${fixture} ENVIRONMENT "${env_e};LNF_E2E_DRIVE=E" TIMEOUT 600)
  endif()
  foreach(group IN LISTS groups)
    add_test(NAME e2e_${name}_${group}
      COMMAND ${LNF_E2E_RUN} run $<TARGET_FILE:e2e_tests> --gtest_filter=${group}.*)
    list(APPEND tests e2e_${name}_${group})
  endforeach()
  # One prefix and one scratch drive per configuration: its tests take turns.
  # The backup group takes 10 s on an idle machine and 100 s on a busy one;
  # the limit is for a hung run only.
  if(tests)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED ${fixture}
      RESOURCE_LOCK ${fixture} ENVIRONMENT "${env}" TIMEOUT 600)
  endif()
  # The old drive that a collection from another installation reads is
  # mounted read-only on the host for that group alone (run-e2e.sh).
  if("CollectFrom" IN_LIST groups)
    set_property(TEST e2e_${name}_CollectFrom APPEND PROPERTY ENVIRONMENT
      "LNF_E2E_OLD_DRIVE=readonly")
  endif()
endfunction()

lnf_e2e_config(win10-96 win10 96 "${LNF_E2E_RUN_GROUPS}" "")

if(LNF_E2E_MATRIX)
  # Start-up, a check that finds all three kinds, one backup of each kind,
  # the names no ANSI code page can spell (skipped where Windows 9x has no
  # way to name them), and a package's names as its receivers read them
  # (stored otherwise on Windows 9x).
  set(smoke
    MainWindow.IsTheToolsOneWindow* MainWindow.ShowsOnlyTheHeading*
    MainWindow.PlacesEveryControl* InventoryCheck.ListsDecodesAndLogsAllThreeKinds*
    Backup.V3Copies* Backup.V4CopiesThe* Backup.OfficeUpdateCopies* NonAnsiNames.*
    Collect.EveryReceiverFindsTheNamesTheManifestGives)
  list(JOIN smoke ":" smoke)
  foreach(config IN ITEMS "win98;96" "win2k;96" "winxp;96" "win10;120" "win10;144")
    list(GET config 0 winver)
    list(GET config 1 dpi)
    lnf_e2e_config(${winver}-${dpi} ${winver} ${dpi} "" "${smoke}")
  endforeach()
endif()
