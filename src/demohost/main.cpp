// quenlix-demo-host: a scripted TN5250 host on loopback, for trying the
// emulator without a real host, for the end-to-end tests and for load.
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "demohost/DemoServer.h"
#include "net/BlockingSocket.h"
#include "terminal/TranslationCache.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnSignal(int) { gStop = 1; }

void Usage(std::FILE* to) {
    std::fputs(
        "Usage: quenlix-demo-host [options]\n"
        "A scripted TN5250 host: sign-on, main menu, data entry, list, colours,\n"
        "pop-up, reads and query screens for a 5250 terminal.\n"
        "\n"
        "  --port N             TCP port (default 2323; 0 picks a free one)\n"
        "  --bind ADDR          IPv4 or IPv6 address to listen on (default 127.0.0.1)\n"
        "  --log FILE           write the host's events and all traffic, described, to FILE\n"
        "  --scenario demo|burst|burst-roundtrip|print\n"
        "                       demo screens (default); a burst of full screens sent\n"
        "                       at once; or one full screen a round trip, each ended\n"
        "                       by a Read Screen whose answer brings the next; or a\n"
        "                       report of N pages to each printer session at once\n"
        "  --count N            screens of a burst, pages of a print report (default\n"
        "                       100, at most 10000000)\n"
        "  --printer-refuse CODE\n"
        "                       refuse printer sessions with this startup code (e.g.\n"
        "                       8902) instead of starting them with I902\n"
        "  --codepage N         host code page of screen text and field data; the\n"
        "                       terminal's must match (default 37; 0: the built-in 500)\n"
        "  --once               stop after the first terminal disconnects\n"
        "  --delay MS           a slow host: everything it sends waits MS milliseconds\n"
        "                       (default 0, at most 60000)\n"
        "  --tls                serve TLS with a self-signed certificate made at start\n"
        "                       (its SHA-256 fingerprint is printed after the\n"
        "                       \"listening on\" line)\n"
        "  --cert FILE --key FILE\n"
        "                       serve TLS with this certificate (and chain) and key (PEM)\n"
        "  --password-level N   the host's password level 0 to 4 (default 3): how an\n"
        "                       automatic sign-on's password substitute is checked\n"
        "  --password SECRET    the password of every user's automatic sign-on\n"
        "                       (default DEMO); the sign-on screen takes any\n"
        "  --allow-plain        accept an automatic sign-on's password in clear\n"
        "                       (logged as a warning; refused without this)\n"
        "  --signon-port N      serve the sign-on server's attribute exchange, which\n"
        "                       tells the password level, on port N (0 picks a free\n"
        "                       one, printed after the \"listening on\" line)\n"
        "  --help               show this text\n"
        "  --version            show the version\n",
        to);
}

bool ParseNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quenlix::demohost;
    ServerOptions options;
    // U.S. English, as the terminal's own default and the demo session.
    long codePage = 37;
    bool tls = false;
    std::string certificateFile;
    std::string keyFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "quenlix-demo-host: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        long n = 0;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("quenlix-demo-host %s\n", QUENLIX_VERSION);
            return 0;
        } else if (arg == "--port") {
            const char* v = next("--port");
            if (!ParseNumber(v, 0, 65535, n)) {
                std::fprintf(stderr, "quenlix-demo-host: bad port %s\n", v);
                return 2;
            }
            options.port = static_cast<std::uint16_t>(n);
        } else if (arg == "--bind") {
            options.bindAddress = next("--bind");
        } else if (arg == "--log") {
            options.logPath = next("--log");
        } else if (arg == "--scenario") {
            const std::string v = next("--scenario");
            if (v == "demo") {
                options.scenario = Scenario::kDemo;
            } else if (v == "burst") {
                options.scenario = Scenario::kBurst;
            } else if (v == "burst-roundtrip") {
                options.scenario = Scenario::kBurstRoundTrip;
            } else if (v == "print") {
                options.scenario = Scenario::kPrint;
            } else {
                std::fprintf(stderr, "quenlix-demo-host: unknown scenario %s\n", v.c_str());
                return 2;
            }
        } else if (arg == "--count") {
            const char* v = next("--count");
            if (!ParseNumber(v, 1, HostSession::kMaxBurst, n)) {
                std::fprintf(stderr, "quenlix-demo-host: bad count %s (1 to %ld)\n", v,
                             HostSession::kMaxBurst);
                return 2;
            }
            options.burstCount = n;
        } else if (arg == "--printer-refuse") {
            const std::string v = next("--printer-refuse");
            // A startup code: four characters, digits or I and three digits.
            const bool code = v.size() == 4 && (v[0] == 'I' || std::isdigit(v[0] & 0xFF)) &&
                              std::isdigit(v[1] & 0xFF) && std::isdigit(v[2] & 0xFF) &&
                              std::isdigit(v[3] & 0xFF);
            if (!code) {
                std::fprintf(stderr, "quenlix-demo-host: bad startup code %s\n", v.c_str());
                return 2;
            }
            options.printerRefuseCode = v;
        } else if (arg == "--codepage") {
            const char* v = next("--codepage");
            if (!ParseNumber(v, 0, 99999, codePage)) {
                std::fprintf(stderr, "quenlix-demo-host: bad code page %s\n", v);
                return 2;
            }
        } else if (arg == "--password-level") {
            const char* v = next("--password-level");
            long level = 0;
            if (!ParseNumber(v, 0, 4, level)) {
                std::fprintf(stderr, "quenlix-demo-host: bad password level %s\n", v);
                return 2;
            }
            options.passwordLevel = static_cast<int>(level);
        } else if (arg == "--password") {
            options.password = next("--password");
        } else if (arg == "--allow-plain") {
            options.allowPlain = true;
        } else if (arg == "--signon-port") {
            const char* v = next("--signon-port");
            long port = 0;
            if (!ParseNumber(v, 0, 65535, port)) {
                std::fprintf(stderr, "quenlix-demo-host: bad sign-on port %s\n", v);
                return 2;
            }
            options.signOnPort = static_cast<std::uint16_t>(port);
        } else if (arg == "--delay") {
            const char* v = next("--delay");
            long ms = 0;
            if (!ParseNumber(v, 0, 60000, ms)) {
                std::fprintf(stderr, "quenlix-demo-host: bad delay %s\n", v);
                return 2;
            }
            options.answerDelay = std::chrono::milliseconds(ms);
        } else if (arg == "--once") {
            options.once = true;
        } else if (arg == "--tls") {
            tls = true;
        } else if (arg == "--cert") {
            certificateFile = next("--cert");
        } else if (arg == "--key") {
            keyFile = next("--key");
        } else {
            std::fprintf(stderr, "quenlix-demo-host: unknown option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }

    if (codePage != 0) {
        // The terminal's tables: the same files beside the program.
        quenlix::TranslationCache tables;
        tables.InitTranslation(quenlix::DataDirectory());
        if (tables.SelectTables(static_cast<int>(codePage)) != quenlix::kTablesSelected) {
            std::fprintf(stderr, "quenlix-demo-host: no translation table %ld.tbl in %s\n",
                         codePage, tables.tableDirectory().c_str());
            return 2;
        }
        options.tables = tables.current();
    }

    if (certificateFile.empty() != keyFile.empty()) {
        std::fprintf(stderr, "quenlix-demo-host: --cert and --key go together\n");
        return 2;
    }
    std::unique_ptr<HostTls> hostTls;
    if (tls || !certificateFile.empty()) {
        std::string error;
        hostTls = certificateFile.empty()
                      ? HostTls::SelfSigned(quenlix::CBlockingSocket::BareHost(options.bindAddress),
                                            error)
                      : HostTls::FromFiles(certificateFile, keyFile, error);
        if (!hostTls) {
            std::fprintf(stderr, "quenlix-demo-host: %s\n", error.c_str());
            return 2;
        }
        options.tls = hostTls.get();
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    DemoServer server(options);
    std::string error;
    if (!server.Open(error)) {
        std::fprintf(stderr, "quenlix-demo-host: %s\n", error.c_str());
        return 1;
    }
    server.SetStopFlag(&gStop);
    std::fprintf(stderr, "quenlix-demo-host: listening on %s\n",
                 quenlix::CBlockingSocket::EndpointText(
                     quenlix::CBlockingSocket::BareHost(options.bindAddress), server.port())
                     .c_str());
    if (server.signOnPort() != 0) {
        std::fprintf(
            stderr, "quenlix-demo-host: sign-on server on %s (password level %d)\n",
            quenlix::CBlockingSocket::EndpointText(
                quenlix::CBlockingSocket::BareHost(options.bindAddress), server.signOnPort())
                .c_str(),
            options.passwordLevel);
    }
    if (hostTls) {
        std::fprintf(stderr, "quenlix-demo-host: TLS certificate SHA-256 fingerprint %s\n",
                     hostTls->fingerprint().c_str());
    }
    const int status = server.Run();
    std::fprintf(stderr, "quenlix-demo-host: stopped\n");
    return status;
}
