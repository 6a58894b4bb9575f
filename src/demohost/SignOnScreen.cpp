// The sign-on screen: user, password (non-display), program, menu and
// current library. Any well-formed user profile name signs on; the password
// is not checked. A terminal that sends USER and IBMSUBSPW in its
// environment answer is signed on without the screen, as a real host does
// for automatic sign-on, when the password substitute matches the host's
// password at its password level.
#include <algorithm>
#include <cctype>

#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "signon/PasswordSubstitute.h"
#include "telnet/EnvironNames.h"

namespace quenlix::demohost {

using ::quenlix::telnet::kEnvCurrentLibrary;
using ::quenlix::telnet::kEnvInitialMenu;
using ::quenlix::telnet::kEnvPasswordSubstitute;
using ::quenlix::telnet::kEnvProgram;
using ::quenlix::telnet::kEnvSeed;
using ::quenlix::telnet::kEnvUser;

using namespace quenlix::ds;

namespace {

/// A user profile name: a letter or $#@ first, then letters, digits, $#@_,
/// at most ten characters.
bool ValidUserName(const std::string& name) {
    if (name.empty() || name.size() > 10) return false;
    auto special = [](char c) { return c == '$' || c == '#' || c == '@'; };
    if (!std::isalpha(static_cast<unsigned char>(name[0])) && !special(name[0])) return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && !special(c) && c != '_') return false;
    }
    return true;
}

}  // namespace

void HostSession::DrawSignOn(ScreenWriter& w) {
    w.Title("Sign On");
    w.Text(2, 48, "System . . . . . :   " + config_.systemName);
    w.Text(3, 48, "Subsystem  . . . :   QDEMO");
    w.Text(4, 48, "Display  . . . . :   " + deviceName_);
    const char* labels[] = {"User", "Password", "Program/procedure", "Menu", "Current library"};
    for (int i = 0; i < 5; ++i) {
        std::string dots = std::string(labels[i]) + " ";
        while (dots.size() < 33) dots += dots.size() % 2 ? ' ' : '.';
        w.Text(6 + i, 17, dots);
        FieldDef f{labels[i], 6 + i, 52, kFfwPresent, kFfw2Monocase, kAttrInput, 10, ""};
        if (i == 1) {
            f.ffw2 = 0x00;
            f.attribute = kAttrHidden;
        }
        fields_.push_back(f);
    }
    w.Text(13, 17, "Any user name works (for example DEMO); the password is");
    w.Text(14, 17, "not checked. This is the Quenlix demo host.");
    w.PlaceCursor(6, 53);
}

void HostSession::ShowFirstScreen() {
    const std::string user = Upper(Trim(env_.get(kEnvUser)));
    std::string error;
    if (!user.empty() && !env_.get(kEnvPasswordSubstitute).empty() &&
        CheckAutomaticPassword(user, error) &&
        TrySignOn(user, error)) {
        program_ = Upper(Trim(env_.get(kEnvProgram)));
        menu_ = Upper(Trim(env_.get(kEnvInitialMenu)));
        library_ = Upper(Trim(env_.get(kEnvCurrentLibrary)));
        Log("automatic sign-on of " + user_);
        Show(ScreenId::kMenu, "Signed on automatically as " + user_ + ".");
    } else {
        Show(ScreenId::kSignOn, error);
    }
}

bool HostSession::CheckAutomaticPassword(const std::string& user, std::string& error) {
    const std::string sent = env_.get(kEnvPasswordSubstitute);
    const std::string clientSeed = env_.get(kEnvSeed);
    static constexpr const char* kWrongPassword = "Password not correct for user profile.";
    if (clientSeed.empty()) {
        if (!config_.allowPlain) {
            Log("warning: automatic sign-on of " + user +
                " with the password in clear refused (start with --allow-plain to accept it)");
            error = kWrongPassword;
            return false;
        }
        Log("warning: automatic sign-on of " + user + " with the password in clear");
        const bool same =
            sent.size() == config_.password.size() &&
            signon::SameSubstitute(
                signon::SecretBytes(reinterpret_cast<const std::uint8_t*>(config_.password.data()),
                                    config_.password.size()),
                reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size());
        if (!same) error = kWrongPassword;
        return same;
    }
    signon::SeedPair seeds;
    seeds.server = seed_;
    if (clientSeed.size() != seeds.client.size()) {
        Log("automatic sign-on of " + user + ": a client seed of " +
            std::to_string(clientSeed.size()) + " bytes");
        error = kWrongPassword;
        return false;
    }
    std::copy(clientSeed.begin(), clientSeed.end(), seeds.client.begin());
    const signon::SubstituteOutcome expected = signon::MakePasswordSubstitute(
        config_.passwordLevel, user, config_.password, seeds, config_.tables);
    if (!expected.made()) {
        Log("automatic sign-on of " + user + ": no substitute to compare (" + expected.refusal +
            ")");
        error = kWrongPassword;
        return false;
    }
    if (!signon::SameSubstitute(expected.substitute,
                                reinterpret_cast<const std::uint8_t*>(sent.data()), sent.size())) {
        Log("automatic sign-on of " + user + ": the password substitute does not match (level " +
            std::to_string(config_.passwordLevel) + ")");
        error = kWrongPassword;
        return false;
    }
    Log("automatic sign-on of " + user + ": password substitute verified (level " +
        std::to_string(config_.passwordLevel) + ")");
    return true;
}

bool HostSession::TrySignOn(const std::string& user, std::string& error) {
    if (user.empty()) {
        error = "Type your user name.";
        return false;
    }
    if (!ValidUserName(user)) {
        error = "User " + user + " does not exist.";
        return false;
    }
    user_ = user;
    Log("signed on: " + user_);
    return true;
}

void HostSession::OnSignOn(const InboundRecord& r) {
    if (r.aid != kAidEnter) {
        Reinvite();
        return;
    }
    std::string error;
    if (!TrySignOn(Upper(Trim(value(0))), error)) {
        ShowError(error, 0);
        return;
    }
    program_ = Upper(Trim(value(2)));
    menu_ = Upper(Trim(value(3)));
    library_ = Upper(Trim(value(4)));
    Show(ScreenId::kMenu);
}

void HostSession::SignOff(const std::string& why) {
    Log("signed off: " + user_ + " (" + why + ")");
    user_.clear();
    program_.clear();
    menu_.clear();
    library_.clear();
    Show(ScreenId::kSignOn, "Signed off.");
}

}  // namespace quenlix::demohost
