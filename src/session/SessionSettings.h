// The parameters of one host session, named by their session-file keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quenlix {

/// How the connection to the host is carried ("Security" in the file).
enum class ConnectionSecurity {
    kNone,  ///< plain TCP ("None", or no key at all)
    kTls,   ///< TLS 1.2 or newer over TCP ("TLS")
};

/// Where a session's sign-on password is kept between runs. A session file
/// never holds it: at most it says that the desktop keyring does.
enum class PasswordStorage {
    kNone,          ///< nowhere: the host gets no password unless given for the run
    kKeyring,       ///< the desktop keyring, under host, port and user ("Password In Keyring"=1)
    kOlderSessionFile,  ///< read from an older file's scrambled "User Password"; moved on save
};

/// Longest sign-on password: IBM i takes up to 128 characters at password
/// levels 2 to 4 (levels 0 and 1 take 10, checked where the level is known).
inline constexpr std::size_t kMaxPasswordLength = 128;

/// What the session is to the host ("Device" in the file; absent: a display).
enum class DeviceKind {
    kDisplay,  ///< a 5250 display ("Display", or no key at all)
    kPrinter,  ///< a 5250 printer: the host's spooled files become PDFs ("Printer")
};

/// A paper size a printer session can be set to.
struct PaperSize {
    const char* name;       ///< as stored and shown, e.g. "Letter"
    double widthInches;
    double heightInches;
    std::uint8_t hostCode;  ///< the host's paper source code for it
};

/// The paper sizes, Letter first (the default).
const PaperSize* PaperSizes(std::size_t& count);
/// The paper of a name; Letter for a name not known.
const PaperSize& FindPaperSize(std::string_view name);

/// The password level is learned from the host when the sign-on needs it.
inline constexpr int kAutomaticPasswordLevel = -1;

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
    ConnectionSecurity Security = ConnectionSecurity::kNone;  ///< "Security": "None" or "TLS"
    std::string CAFile;             ///< "CA File": PEM certificates trusted besides the system's
    std::string ClientCertificate;  ///< "Client Certificate": PEM file with certificate and key
    /// "Keyboard Map": a built-in map's name, a user map's name or a map
    /// file's path; empty (the key absent) is the Standard map.
    std::string KeyboardMap;
    /// "Enhanced": the query reply offers the host the enhanced interface
    /// (windows, selection fields, scroll bars); off by default.
    int Enhanced = 0;
    // [Profile]
    int LaunchConnection = 0;    ///< "Launch Connection": connect when the file is opened
    int AutoConnection = 0;      ///< "Auto Connection": sign on automatically
    std::string UserID;          ///< "UserID"
    std::string Menu;            ///< "Menu"
    std::string ProgProc;        ///< "ProgProc"
    std::string CurLib;          ///< "CurLib"
    /// The sign-on password, in clear in memory only, up to kMaxPasswordLength
    /// characters; from the keyring, an older file, the operator or an option.
    std::string UserPassword;
    PasswordStorage PasswordStore = PasswordStorage::kNone;  ///< where UserPassword is kept
    /// "Password Level": the host's password level an automatic sign-on
    /// makes its password substitute for, 0 to 4, or kAutomaticPasswordLevel
    /// ("Automatic", or the key absent): asked of the host's sign-on server.
    int PasswordLevel = kAutomaticPasswordLevel;
    /// "Send Password In Clear": an automatic sign-on to a host that offers no
    /// encryption (no seed) sends the password as it is; off by default.
    int SendPasswordInClear = 0;
    /// "Start Macro": the name of the operator's macro played once the
    /// session is connected; empty (the key absent): none.
    std::string StartMacro;
    // [Connection] "Device", and [Printer]: written only for a printer
    // session, so a display session's file is as it was.
    DeviceKind Device = DeviceKind::kDisplay;
    std::string PrinterMessageQueue = "QSYSOPR";    ///< "Message Queue": host printer messages
    std::string PrinterMessageLibrary = "*LIBL";    ///< "Message Library"
    int PrinterFont = 11;                           ///< "Font": the host's font id (11: Courier 10)
    int HostPrintTransform = 0;                     ///< "Host Print Transform": 1 on
    std::string PrinterModel = "*HP4";              ///< "Printer Model": the transform's model
    std::string PaperSizeName = "Letter";           ///< "Paper Size": a PaperSizes name
    std::string OutputFolder;                       ///< "Output Folder": where PDFs go
    std::string SystemPrinter;                      ///< "System Printer": empty for none

    friend bool operator==(const SessionSettings&, const SessionSettings&) = default;

    /// True when the screen size asks for 27 x 132 (second character '7').
    bool WantsWideScreen() const { return TerminalCaract.size() >= 2 && TerminalCaract[1] == '7'; }
    bool UsesTls() const { return Security == ConnectionSecurity::kTls; }
    bool IsPrinter() const { return Device == DeviceKind::kPrinter; }
};

}  // namespace quenlix
