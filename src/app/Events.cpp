#include "app/Events.h"

#include <iterator>

#include "app/WindowHandlers.h"
#include "backup/Backups.h"
#include "inventory/InventoryCheck.h"

namespace lnf {

namespace {

// Every push button that does something; the rest of the window's controls
// handle no event.
constexpr ClickHandler kClicks[] = {
    {kCommand1, Command1_Click},  // "Check now!"
    {kCommand2, Command2_Click},  // "About..."
    {kCommand3, Command3_Click},  // V2/V3.1 backup
    {kCommand4, Command4_Click},  // V4 backup
    {kCommand5, Command5_Click},  // Office Update backup
    {kOuBtn, ouBtn_Click},        // shows the Office Update frame
    {kV3btn, v3btn_Click},        // shows the V2/V3.1 frame
    {kV4btn, v4btn_Click},        // shows the V4 frame
};

}  // namespace

const FormEvents kMainFormEvents = {Form_Load, kClicks, std::size(kClicks)};

}  // namespace lnf
