// The program's operator-facing texts, by number. Every message box, caption
// and filter text that has a number is taken from here.
#pragma once

#include <string_view>

namespace quenlix {

enum StringId : int {
    kStrAppTitle = 117,
    kStrSocketInitFailure = 500,
    kStrAddSession = 501,
    kStrCannotEmptyClipboard = 507,
    kStrCannotSetClipboard = 508,
    kStrCannotGetClipboard = 509,
    kStrImageFileFilter = 510,
    kStrConnectFailure = 511,
    kStrCannotOpenClipboard = 516,
    kStrEndSessionQuestion = 521,
    kStrCommandBar = 522,
    kStrSpecialKeysBar = 523,
    kStrHelpBar = 524,
    kStrSessionFileFilter = 525,
    kStrNoName = 526,
    kStrSaveChangedQuestion = 527,
    kStrOpenSessionFailed = 528,
    kStrSessionProperties = 529,
    kStrShortcutMenuPrompt = 530,
    kStrSelectSessionFirst = 531,
    kStrCannotBrowseFolder = 532,
    kStrCannotCreateShortcut = 533,
    kStrShortcutCreated = 534,
    kStrDisplayInUse = 535,
    kStrSaveSessionFailed = 560,
};

/// The text of a numbered string; empty for an unknown number.
std::string_view LoadString(int id);

}  // namespace quenlix
