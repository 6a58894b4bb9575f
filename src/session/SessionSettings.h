// The sixteen parameters of one host session, named by their session-file keys.
#pragma once

#include <string>

namespace quenlix {

struct SessionSettings {
    // [Connection]
    std::string Name;            ///< "Name": session name, the document title
    std::string IP;              ///< "IP": host name or dotted address
    int Port = 0;                ///< "Port"
    std::string DisplayName;     ///< "DisplayName": device name offered to the host
    int DisplayNameAuto = 1;     ///< "DisplayNameAuto": the host chooses the device name
    std::string Language;        ///< "Language", e.g. "U.S. (37)"
    int PageCode = 0;            ///< "Page Code": host code page; 0 = built-in pair
    std::string TerminalName;    ///< "Terminal Name": "IBM-5292-2" or "IBM-3477-FC"
    std::string TerminalCaract;  ///< "Terminal Caract": "24 * 80" or "27 * 132"
    /// "Keyboard Map": a built-in map's name, a user map's name or a map
    /// file's path; empty (the key absent) is the Standard map.
    std::string KeyboardMap;
    // [Profile]
    int LaunchConnection = 0;    ///< "Launch Connection": connect when the file is opened
    int AutoConnection = 0;      ///< "Auto Connection": sign on automatically
    std::string UserID;          ///< "UserID"
    std::string Menu;            ///< "Menu"
    std::string ProgProc;        ///< "ProgProc"
    std::string CurLib;          ///< "CurLib"
    std::string UserPassword;    ///< "User Password": in clear in memory, at most 10 characters

    friend bool operator==(const SessionSettings&, const SessionSettings&) = default;

    /// True when the screen size asks for 27 x 132 (second character '7').
    bool WantsWideScreen() const { return TerminalCaract.size() >= 2 && TerminalCaract[1] == '7'; }
};

}  // namespace quenlix
