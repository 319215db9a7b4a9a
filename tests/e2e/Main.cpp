// The end-to-end test program. "--desktop=NAME,WIDTHxHEIGHT" runs the same
// program again, on a desktop of its own of that size (the tool reads the
// screen size only at start-up, so each size needs its own desktop), and
// passes its exit code on.
#include <gtest/gtest.h>

#include <string>

#include "Desktop.h"
#include "Driver.h"

int main(int argc, char** argv) {
  std::vector<std::string> rest;
  std::string desktop;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--desktop=", 0) == 0) {
      desktop = arg.substr(10);
    } else {
      rest.push_back(arg);
    }
  }
  if (!desktop.empty()) {
    const auto comma = desktop.find(',');
    return lnf::e2e::RunSelfOnDesktop(desktop.substr(0, comma),
                                      comma == std::string::npos ? "" : desktop.substr(comma + 1),
                                      rest);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
