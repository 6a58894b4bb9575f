// The commands that open dialogs, print, and show help.
#include "app/CTelnetApp.h"

namespace quenlix::app {

void CTelnetApp::RegisterDialogCommands() {}

}  // namespace quenlix::app
