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

}  // namespace quenlix::telnet
