// Text of every numbered string.
#include "terminal/StringTable.h"

namespace quenlix {

std::string_view LoadString(int id) {
    switch (id) {
        case kStrAppTitle: return "Quenlix Telnet";
        case kStrSocketInitFailure: return "Socket initialization failure";
        case kStrAddSession: return "Add a Session";
        case kStrCannotEmptyClipboard: return "Cannot empty the Clipboard";
        case kStrCannotSetClipboard: return "Unable to set Clipboard data";
        case kStrCannotGetClipboard: return "Unable to get Clipboard data";
        case kStrImageFileFilter:
            return "Image files (*.bmp;*.gif;*.jpg;*.ico;*.emf;*.wmf)|"
                   "*.bmp;*.gif;*.jpg;*.ico;*.emf;*.wmf||";
        case kStrConnectFailure:
            return "Connection initialization failure:\nVerify your parameters and try again";
        case kStrCannotOpenClipboard: return "Cannot open the Clipboard";
        case kStrEndSessionQuestion: return "Do you want to end this session?";
        case kStrCommandBar: return "Command";
        case kStrSpecialKeysBar: return "Special keys";
        case kStrHelpBar: return "Help";
        case kStrSessionFileFilter: return "Sessions files (*.stn)|*.stn||";
        case kStrNoName: return "No name";
        case kStrSaveChangedQuestion:
            return "Your connection parameters have been changed\n"
                   "            Do you want to save them?";
        case kStrOpenSessionFailed: return "Opening of session file failed";
        case kStrSessionProperties: return "Session Properties";
        case kStrShortcutMenuPrompt: return "Select the menu in which the shortcut is to be added:";
        case kStrSelectSessionFirst: return "You must first select a session file!";
        case kStrCannotBrowseFolder: return "Not able to display browse for folder!";
        case kStrCannotCreateShortcut: return "Not able to create shortcut!";
        case kStrShortcutCreated:
            return "A shortcut entitled '%s' has been created in the designated location.";
        case kStrDisplayInUse:
            return "Your display is already in use.\n"
                   "Please choose another name and restart the connection.";
        case kStrSaveSessionFailed: return "Saving of session file failed";
        default: return {};
    }
}

}  // namespace quenlix
