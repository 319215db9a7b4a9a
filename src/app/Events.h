// The main window's events and the handlers that answer them: the one table
// that ties the window's state to the inventory check, the backups and the
// window's own handlers above it.
#pragma once

#include "form/MainForm.h"

namespace lnf {

extern const FormEvents kMainFormEvents;

}  // namespace lnf
