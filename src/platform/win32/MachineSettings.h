// Texts the system's setup and its programs leave in the registry for the
// whole machine.
#pragma once

#include <string>

namespace lnf {

// A REG_SZ or REG_EXPAND_SZ value of HKEY_LOCAL_MACHINE\<keyName>, read at
// any length, with the environment's variables put in for the latter; empty
// when the key or the value is missing or holds no text.
std::string ReadMachineText(const std::string& keyName, const std::string& valueName);

}  // namespace lnf
