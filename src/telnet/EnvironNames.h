// The NEW-ENVIRON variable names a TN5250 terminal and an IBM i host
// exchange (RFC 1572 VAR "USER", the rest USERVARs the host defines).
#pragma once

namespace quenlix::telnet {

// Arrays, so each reads as a std::string_view and as a std::string alike.
inline constexpr char kEnvUser[] = "USER";                     ///< VAR: the user profile
inline constexpr char kEnvDeviceName[] = "DEVNAME";            ///< the display device's name
inline constexpr char kEnvSeed[] = "IBMRSEED";                 ///< a side's 8-byte random seed
inline constexpr char kEnvPasswordSubstitute[] = "IBMSUBSPW";  ///< the password or its substitute
inline constexpr char kEnvProgram[] = "IBMPROGRAM";            ///< program to call at sign-on
inline constexpr char kEnvInitialMenu[] = "IBMIMENU";
inline constexpr char kEnvCurrentLibrary[] = "IBMCURLIB";
inline constexpr char kEnvFont[] = "IBMFONT";
inline constexpr char kEnvKeyboardType[] = "KBDTYPE";
inline constexpr char kEnvCodePage[] = "CODEPAGE";
inline constexpr char kEnvCharacterSet[] = "CHARSET";
// A printer device's description.
inline constexpr char kEnvMessageQueue[] = "IBMMSGQNAME";      ///< where printer messages go
inline constexpr char kEnvMessageLibrary[] = "IBMMSGQLIB";     ///< ... and its library
inline constexpr char kEnvTransform[] = "IBMTRANSFORM";        ///< "1": host print transform on
inline constexpr char kEnvPrinterModel[] = "IBMMFRTYPMDL";     ///< the transform's printer model
inline constexpr char kEnvPaperSource1[] = "IBMPPRSRC1";       ///< one byte: the paper's code
inline constexpr char kEnvFormFeed[] = "IBMFORMFEED";          ///< "C" continuous, "U" cut, "A" auto

}  // namespace quenlix::telnet
