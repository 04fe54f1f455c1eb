#include "ui/commands.h"

#include "notes/locations.h"

namespace orvel {

void ShowHelp(ProgramState& state) {
  state.toolkit.ShowMessageBox(Text(kAppTitle) + u" " + kAppVersion,
                               u"Orvel keeps its notes and settings in the folder Orvel_data.\r\n"
                               u"That folder could not be made, so nothing can be saved there.\r\n",
                               BoxIcon::Information);
}

}  // namespace orvel
