// The demo host serving on loopback from a thread of the test, at a chosen
// password level with a known sign-on password, and its sign-on server when
// asked for; slowed, when asked, by a delay on everything it sends.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "demohost/DemoServer.h"

namespace quenlix::testing {

class DemoHostThread {
public:
    DemoHostThread(int passwordLevel, const std::string& password, bool signOnServer,
                   std::chrono::milliseconds answerDelay = std::chrono::milliseconds(0)) {
        demohost::ServerOptions options;
        options.answerDelay = answerDelay;
        options.port = 0;
        options.passwordLevel = passwordLevel;
        options.password = password;
        if (signOnServer) options.signOnPort = 0;
        server_ = std::make_unique<demohost::DemoServer>(options);
        std::string error;
        const bool opened = server_->Open(error);
        EXPECT_TRUE(opened) << error;
        if (opened) loop_ = std::thread([this] { server_->Run(); });
    }
    ~DemoHostThread() {
        server_->RequestStop();
        if (loop_.joinable()) loop_.join();
    }
    DemoHostThread(const DemoHostThread&) = delete;
    DemoHostThread& operator=(const DemoHostThread&) = delete;

    std::uint16_t port() const { return server_->port(); }
    std::uint16_t signOnPort() const { return server_->signOnPort(); }

private:
    std::unique_ptr<demohost::DemoServer> server_;
    std::thread loop_;
};

}  // namespace quenlix::testing
