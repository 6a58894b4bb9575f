// The headless front end signing on to the demo host at each password level,
// through a relay on loopback that records every byte the terminal sends:
// the password itself never crosses the wire.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "demohost/DemoServer.h"
#include "demohost/SignOnService.h"
#include "net/SignOnServerClient.h"
#include "signon/SignOnServerExchange.h"
#include "support/DemoHostThread.h"
#include "support/RecordingRelay.h"

namespace quenlix::demohost {
namespace {

constexpr const char* kPassword = "Pass42";

using testing::BytesHold;
using testing::RecordingRelay;

class SignOnHost : public testing::DemoHostThread {
public:
    SignOnHost(int level, bool signOnServer) : DemoHostThread(level, kPassword, signOnServer) {}
};

int Listener(std::uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(listen(fd, 1), 0);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    port = ntohs(a.sin_port);
    return fd;
}

std::string RunCli(std::uint16_t port, std::vector<std::string> options,
                   const std::vector<std::string>& commands) {
    std::ostringstream out, err;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    std::vector<std::string> args = {"--host",   "127.0.0.1", "--port", std::to_string(port),
                                     "--screen", "24 * 80",   "--user", "demo"};
    args.insert(args.end(), options.begin(), options.end());
    EXPECT_EQ(cli::ApplyCommandLine(args, shell, out, err, "9.9").exitStatus, -1) << err.str();
    for (const std::string& command : commands) shell.Execute(command);
    return out.str();
}

const std::vector<std::string> kSignOn = {"connect", "wait 5000", "screen", "disconnect"};

TEST(DemoHostSignOn, EveryLevelSignsOnWithoutThePasswordOnTheWire) {
    ForgetPasswordLevels();
    for (const int level : {0, 2, 4}) {
        SCOPED_TRACE(level);
        SignOnHost host(level, true);
        const std::string signOnPort = std::to_string(host.signOnPort());
        struct Way {
            std::vector<std::string> options;
            std::string how;
        };
        const Way ways[] = {
            {{"--password-level", std::to_string(level)}, "session setting"},
            {{"--signon-port", signOnPort}, "sign-on server 127.0.0.1:" + signOnPort},
        };
        for (const Way& way : ways) {
            RecordingRelay relay(host.port());
            std::vector<std::string> options = {"--password", kPassword};
            options.insert(options.end(), way.options.begin(), way.options.end());
            const std::string printed = RunCli(relay.port(), options, kSignOn);
            EXPECT_NE(printed.find("connected\nsignon: level " + std::to_string(level) + " (" +
                                   way.how + ")\n"),
                      std::string::npos)
                << printed;
            EXPECT_NE(printed.find("Signed on automatically as DEMO."), std::string::npos)
                << printed;
            const std::vector<std::uint8_t> sent = relay.Sent();
            EXPECT_TRUE(BytesHold(sent, "IBMSUBSPW"));
            for (const char* form : {"Pass42", "PASS42"})
                EXPECT_FALSE(BytesHold(sent, form)) << form;
        }
    }
}

TEST(DemoHostSignOn, AWrongPasswordOrAWrongLevelMeetsTheSignOnScreen) {
    SignOnHost host(2, false);
    for (const auto& options :
         {std::vector<std::string>{"--password", "Wrong1", "--password-level", "2"},
          std::vector<std::string>{"--password", kPassword, "--password-level", "4"}}) {
        const std::string printed = RunCli(host.port(), options, kSignOn);
        EXPECT_NE(printed.find("Password not correct for user profile."), std::string::npos)
            << printed;
    }
}

// No sign-on server answers: the level is unknown, so no password goes and
// the operator signs on at the screen.
TEST(DemoHostSignOn, AnUnknownLevelSendsNoPassword) {
    ForgetPasswordLevels();
    SignOnHost host(3, false);
    std::uint16_t closedPort = 0;
    close(Listener(closedPort));
    RecordingRelay relay(host.port());
    const std::string printed =
        RunCli(relay.port(), {"--password", kPassword, "--signon-port", std::to_string(closedPort)},
               kSignOn);
    EXPECT_NE(printed.find("connected\nsignon: no password sent (password level unknown: no "
                           "answer from the sign-on server at 127.0.0.1:" +
                           std::to_string(closedPort)),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Sign On"), std::string::npos) << printed;
    const std::vector<std::uint8_t> sent = relay.Sent();
    EXPECT_FALSE(BytesHold(sent, "IBMSUBSPW"));
    EXPECT_FALSE(BytesHold(sent, kPassword));
}

// The sign-on server names a DES level and the password is too long for it:
// no password goes, and the line says why.
TEST(DemoHostSignOn, ALongPasswordAtADesLevelLearnedAutomaticallyIsNotSent) {
    ForgetPasswordLevels();
    const std::string longPassword = "Longer than ten";
    testing::DemoHostThread host(1, longPassword, true);
    RecordingRelay relay(host.port());
    const std::string printed = RunCli(
        relay.port(),
        {"--password", longPassword, "--signon-port", std::to_string(host.signOnPort())}, kSignOn);
    EXPECT_NE(printed.find("connected\nsignon: no password sent (the password has 15 characters, "
                           "too long for password level 1, which takes at most 10 characters)\n"),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Sign On"), std::string::npos) << printed;
    const std::vector<std::uint8_t> sent = relay.Sent();
    EXPECT_FALSE(BytesHold(sent, "IBMSUBSPW"));
    EXPECT_FALSE(BytesHold(sent, longPassword));
    EXPECT_FALSE(BytesHold(sent, "LONGER THAN TEN"));
}

/// Accepts one connection, reads `expect` bytes and answers `reply`.
class OneShotServer {
public:
    OneShotServer(std::size_t expect, std::vector<std::uint8_t> reply) {
        fd_ = Listener(port_);
        thread_ = std::thread([this, expect, reply] {
            pollfd l{fd_, POLLIN, 0};
            if (poll(&l, 1, 5000) <= 0) return;
            const int c = accept(fd_, nullptr, nullptr);
            std::vector<std::uint8_t> got(expect);
            std::size_t have = 0;
            while (have < expect) {
                const ssize_t n = recv(c, got.data() + have, expect - have, 0);
                if (n <= 0) break;
                have += static_cast<std::size_t>(n);
            }
            received = std::string(got.begin(), got.begin() + static_cast<long>(have));
            send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
            close(c);
        });
    }
    ~OneShotServer() {
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }
    std::uint16_t port() const { return port_; }
    std::string received;

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

TEST(SignOnServerClient, AsksTheLevelDirectlyOrThroughThePortMapper) {
    ForgetPasswordLevels();
    SignOnService service("127.0.0.1", 0, 4);
    std::string error;
    ASSERT_TRUE(service.Start(error)) << error;
    SignOnServerQuery query;
    query.host = "127.0.0.1";
    query.port = service.port();
    const std::string where = "127.0.0.1:" + std::to_string(service.port());
    PasswordLevelAnswer answer = AskPasswordLevel(query);
    EXPECT_EQ(answer.level, 4);
    EXPECT_EQ(answer.how, "sign-on server " + where);

    const std::uint16_t p = service.port();
    OneShotServer mapper(
        9, {0x2B, 0, 0, static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p & 0xFF)});
    query.port = 0;
    query.portMapper = true;
    query.portMapperPort = mapper.port();
    answer = AskPasswordLevel(query);
    EXPECT_EQ(answer.level, 4) << answer.how;
    EXPECT_EQ(mapper.received, "as-signon");

    // Remembered per host and port: asked again, the service need not answer.
    query = SignOnServerQuery{};
    query.host = "127.0.0.1";
    query.port = p;
    EXPECT_EQ(RememberedPasswordLevel(query).how, "sign-on server " + where);
    service.Stop();
    answer = RememberedPasswordLevel(query);
    EXPECT_EQ(answer.level, 4);
    EXPECT_EQ(answer.how, "sign-on server " + where + ", remembered");
    ForgetPasswordLevels();
    EXPECT_FALSE(RememberedPasswordLevel(query).level) << "a failure is not remembered";
}

TEST(SignOnServerClient, ARefusedOrSilentAnswerGivesNoLevel) {
    // A reply that claims more than it holds, then the host closes.
    OneShotServer liar(52, {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0xE0, 0x09});
    SignOnServerQuery query;
    query.host = "127.0.0.1";
    query.port = liar.port();
    PasswordLevelAnswer answer = AskPasswordLevel(query);
    EXPECT_FALSE(answer.level);
    EXPECT_NE(answer.how.find("no answer from the sign-on server at 127.0.0.1:"), std::string::npos)
        << answer.how;
    // A port mapper that does not know the service.
    OneShotServer mapper(9, {'-'});
    query.port = 0;
    query.portMapper = true;
    query.portMapperPort = mapper.port();
    answer = AskPasswordLevel(query);
    EXPECT_FALSE(answer.level);
    EXPECT_NE(answer.how.find("port mapper"), std::string::npos) << answer.how;
    // The service's own reply reads as the terminal's parser reads it; a
    // request that is not an attribute exchange gets none.
    const std::vector<std::uint8_t> request =
        signon::BuildExchangeAttributesRequest(signon::Seed{1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<std::uint8_t> reply =
        ExchangeAttributesReply(request.data(), request.size(), 2);
    const signon::AttributesOutcome parsed =
        signon::ParseExchangeAttributesReply(reply.data(), reply.size());
    ASSERT_TRUE(parsed.attributes) << parsed.refusal;
    EXPECT_EQ(parsed.attributes->passwordLevel, 2);
    EXPECT_TRUE(ExchangeAttributesReply(request.data(), request.size() - 1, 2).empty());
}

}  // namespace
}  // namespace quenlix::demohost
