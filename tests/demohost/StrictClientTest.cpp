// The demo host against a terminal that trusts nothing but the write control
// character: its keyboard opens only when a Write To Display's CC2 says so,
// and only then does its cursor go to the Insert Cursor address. Terminals
// built that way sign on to a real IBM i as typed; they must here too.
#include <gtest/gtest.h>

#include "TerminalHarness.h"

namespace quenlix::testing {
namespace {

using demohost::ScreenId;

/// A minimal display station written from the data stream's rules alone,
/// with none of this project's interpreter: it reads the host's records,
/// keeps the input fields and the keyboard lock, types where its cursor is,
/// and answers Enter with the modified fields.
class StrictClient {
public:
    struct Field {
        int row = 0, column = 0;  ///< first data position, 1-based
        int length = 0;
        std::string typed;
    };

    /// One block of host records as they arrive (0xFF doubled, IAC EOR).
    void Take(const Bytes& block) {
        Bytes record;
        for (std::size_t i = 0; i < block.size(); ++i) {
            if (block[i] == 0xFF && i + 1 < block.size() && block[i + 1] == 0xEF) {
                Record(record);
                record.clear();
                ++i;
            } else if (block[i] == 0xFF && i + 1 < block.size() && block[i + 1] == 0xFF) {
                record.push_back(0xFF);
                ++i;
            } else {
                record.push_back(block[i]);
            }
        }
    }

    /// A typed character: lost while the keyboard is locked or the cursor
    /// is on no field.
    void Type(const std::string& text) {
        for (char c : text) {
            Field* f = FieldAtCursor();
            if (locked || f == nullptr) {
                ++lost;
                continue;
            }
            const auto at = static_cast<std::size_t>(column - f->column);
            if (f->typed.size() < at) f->typed.resize(at, ' ');
            if (f->typed.size() == at) {
                f->typed += c;
            } else {
                f->typed[at] = c;
            }
            ++column;
        }
    }

    /// Enter: the cursor, the AID and every typed field; the keyboard locks.
    Bytes Enter() {
        if (locked) return {};
        Bytes data = {static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(column),
                      ds::kAidEnter};
        for (const Field& f : fields) {
            if (f.typed.empty()) continue;
            data.insert(data.end(), {ds::kOrderSetBufferAddress, static_cast<std::uint8_t>(f.row),
                                     static_cast<std::uint8_t>(f.column)});
            for (char c : f.typed)
                data.push_back(BuiltinTablePair().ATOE[static_cast<std::uint8_t>(c)]);
        }
        locked = true;
        return FrameRecord(ds::kOpPutGet, data);
    }

    bool locked = true;
    int row = 1, column = 1;
    int lost = 0;
    std::vector<Field> fields;

private:
    Field* FieldAtCursor() {
        for (Field& f : fields) {
            if (row == f.row && column >= f.column && column < f.column + f.length) return &f;
        }
        return nullptr;
    }

    void Record(const Bytes& r) {
        std::size_t i = 10;  // length, record type, reserved, header length, flags, opcode
        while (i + 1 < r.size()) {
            if (r[i] != ds::kEscape) return;  // a structured field or a command this client skips
            const std::uint8_t command = r[i + 1];
            i += 2;
            switch (command) {
                case ds::kCmdClearUnit:
                    fields.clear();
                    break;
                case ds::kCmdClearUnitAlternate:
                    fields.clear();
                    ++i;
                    break;
                case ds::kCmdWriteToDisplay:
                    i = WriteToDisplay(r, i);
                    break;
                case ds::kCmdReadMdtFields:
                case ds::kCmdReadInputFields:
                    i += 2;  // the read's control character: nothing to unlock
                    break;
                default:
                    return;
            }
        }
    }

    std::size_t WriteToDisplay(const Bytes& r, std::size_t i) {
        const std::uint8_t cc2 = i + 1 < r.size() ? r[i + 1] : 0;
        i += 2;
        int writeRow = 1, writeColumn = 1, icRow = 0, icColumn = 0;
        while (i < r.size() && r[i] != ds::kEscape) {
            switch (r[i]) {
                case ds::kOrderStartOfHeader:
                    i += 2 + (i + 1 < r.size() ? r[i + 1] : 0);
                    break;
                case ds::kOrderSetBufferAddress:
                    writeRow = r.at(i + 1);
                    writeColumn = r.at(i + 2);
                    i += 3;
                    break;
                case ds::kOrderInsertCursor:
                    icRow = r.at(i + 1);
                    icColumn = r.at(i + 2);
                    i += 3;
                    break;
                case ds::kOrderRepeatToAddress:
                    i += 4;
                    break;
                case ds::kOrderStartOfField: {
                    ++i;
                    bool input = false;
                    if (r.at(i) & 0x40) {
                        input = (r.at(i) & 0x20) == 0;  // not a bypass field
                        i += 2;
                    }
                    while (r.at(i) & 0x80) i += 2;  // control words
                    ++i;                            // the attribute
                    const int length = r.at(i) << 8 | r.at(i + 1);
                    i += 2;
                    if (input) fields.push_back({writeRow, writeColumn + 1, length, {}});
                    writeColumn += 1;
                    break;
                }
                default:
                    ++writeColumn;  // display data
                    ++i;
                    break;
            }
        }
        if (cc2 & ds::kCc2UnlockKeyboard) {
            locked = false;
            if (icRow > 0) {
                row = icRow;
                column = icColumn;
            }
        }
        return i;
    }
};

class DemoHostStrictClient : public TerminalHarness {
protected:
    /// The negotiation as the harness does it; the query left unanswered
    /// (this client has none), so the host draws after its wait.
    void Start() {
        Negotiate();
        client.Take(host->TakeOutput());  // the query: skipped
        host->QueryReplyTimedOut();
        client.Take(host->TakeOutput());
    }
    void Enter() {
        const Bytes answer = client.Enter();
        ASSERT_FALSE(answer.empty()) << "Enter with the keyboard locked";
        host->Receive(answer);
        client.Take(host->TakeOutput());
    }

    StrictClient client;
};

TEST_F(DemoHostStrictClient, SignsOnAndChoosesAnOptionAsTyped) {
    Start();
    ASSERT_EQ(host->screen(), ScreenId::kSignOn);
    EXPECT_FALSE(client.locked) << "the sign-on opens the keyboard with CC2";
    EXPECT_EQ(client.row, 6);
    EXPECT_EQ(client.column, 53) << "the cursor is on User, as the host's Insert Cursor says";

    client.Type("DEMO");
    Enter();
    EXPECT_EQ(client.lost, 0);
    EXPECT_EQ(host->user(), "DEMO");
    ASSERT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_FALSE(client.locked);
    EXPECT_EQ(client.row, 20);
    EXPECT_EQ(client.column, 8);

    client.Type("1");
    Enter();
    EXPECT_EQ(client.lost, 0);
    EXPECT_EQ(host->screen(), ScreenId::kDataEntry);
    EXPECT_FALSE(client.locked);
    EXPECT_EQ(client.row, 3);
    EXPECT_EQ(client.column, 39);
}

}  // namespace
}  // namespace quenlix::testing
