// Scripted answers to the operator's questions and a loopback listener
// that counts the connections made to it.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "app/Questions.h"

namespace quenlix::app::testing {

class ScriptedQuestions : public Questions {
public:
    bool AskYesNo(int stringId) override {
        asked.push_back(stringId);
        // What else arrives while the box is up (its nested event loop).
        if (whileAsking) std::exchange(whileAsking, nullptr)();
        if (yesNo.empty()) return false;
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    std::function<void()> whileAsking;
    NoSessionChoice ChooseNoSession() override {
        ++noSessionShown;
        return noSession;
    }
    NewParamsChoice ChooseNewParams() override {
        ++newParamsShown;
        return newParams;
    }
    std::optional<std::string> AskOpenPath() override {
        ++openShown;
        return openPath;
    }
    std::optional<std::string> AskSavePath(const std::string& proposed) override {
        proposedNames.push_back(proposed);
        return savePath;
    }
    std::optional<SessionSettings> EditProperties(int captionId, const SessionSettings* from,
                                                  const std::string& filePath) override {
        captions.push_back(captionId);
        sheetFiles.push_back(filePath);
        if (!sheet) return std::nullopt;
        if (editSheet && from) {
            SessionSettings s = *from;
            editSheet(s);
            return s;
        }
        return sheet;
    }

    PasswordMoveChoice AskMovePassword(const std::string& question) override {
        moveQuestions.push_back(question);
        return moveChoice;
    }
    std::optional<std::string> AskPassword(const std::string& question) override {
        passwordQuestions.push_back(question);
        return typedPassword;
    }

    std::deque<bool> yesNo;  ///< answers in order; No once they run out
    PasswordMoveChoice moveChoice = PasswordMoveChoice::Cancel;
    std::vector<std::string> moveQuestions;
    std::optional<std::string> typedPassword;  ///< empty: the operator gave none
    std::vector<std::string> passwordQuestions;
    std::vector<int> asked;
    NoSessionChoice noSession = NoSessionChoice::Cancel;
    NewParamsChoice newParams = NewParamsChoice::Cancel;
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::optional<SessionSettings> sheet;  ///< empty: the sheet is cancelled
    /// When set, the sheet returns the loaded values changed by this.
    std::function<void(SessionSettings&)> editSheet;
    std::vector<std::string> proposedNames;
    std::vector<int> captions;
    std::vector<std::string> sheetFiles;  ///< the file name each sheet showed
    int noSessionShown = 0;
    int newParamsShown = 0;
    int openShown = 0;
};

/// A listening socket on 127.0.0.1; Accepted() takes every waiting connection.
class Listener {
public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 8);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    ~Listener() {
        for (int c : clients_) ::close(c);
        ::close(fd_);
    }
    int port() const { return port_; }
    int Accepted() {
        for (int c; (c = ::accept(fd_, nullptr, nullptr)) >= 0;) clients_.push_back(c);
        return static_cast<int>(clients_.size());
    }

private:
    int fd_ = -1;
    int port_ = 0;
    std::vector<int> clients_;
};

}  // namespace quenlix::app::testing
