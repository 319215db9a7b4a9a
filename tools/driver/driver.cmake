# The UI-automation driver, shared by the end-to-end tests, the benchmark and
# tools/autopilot.cpp (scripts/start.sh builds that one by itself):
# include() this file and link lnf_driver.
add_library(lnf_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/App.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Screen.cpp
)
# src for the question the tool answers while it works (app/WorkingQuery.h).
target_include_directories(lnf_driver PUBLIC ${CMAKE_CURRENT_LIST_DIR}
  PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../../src)
target_link_libraries(lnf_driver PUBLIC gdi32 user32)
