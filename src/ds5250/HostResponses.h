// Every record the terminal sends to the host on the operator's behalf or
// because the host asked: attention keys with their field data, auto-enter,
// Attention, System Request, and the answers to Read Screen, Read Immediate,
// Save Screen and the query.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ds5250/HostReads.h"
#include "ds5250/TN5250.h"

namespace quenlix {

class HostResponses : public HostReads {
public:
    /// `interpreter` supplies the read order (its resequenceField).
    HostResponses(const InterpreterLinks& links, const CTN5250& interpreter);

    /// An attention key with the fields the pending read asks for. Locks the
    /// keyboard.
    void SendAid(std::uint8_t aid);
    /// PA keys: cursor and AID only. Locks the keyboard.
    void SendAidOnly(std::uint8_t aid);
    /// Enter on behalf of an auto-enter field. Locks the keyboard.
    void SendAutoEnter();
    /// The Attention record.
    void SendAttention();
    /// A System Request carrying the operator's text (PC characters).
    void SendSysReq(std::string_view text);

    void SendReadScreen() override;
    void SendReadImmediate() override;
    void SendSaveScreen() override;
    void SendQueryReply(std::uint8_t queryClass) override;

    /// FormatTable indexes in the order the host reads fields: table order,
    /// or from resequenceField - 1 along the fcw2 links. Each entry at most
    /// once, so a cycle of links ends.
    std::vector<int> ReadOrder() const;

private:
    /// Starts a record: room for the length, the GDS header, flag and opcode.
    void Begin(std::uint8_t opcode, std::uint8_t flag1 = 0);
    void PushCursor();
    void PushFieldAddress(const FieldEntry& e);
    void PushFieldData(const FieldEntry& e, int dropLast = 0);
    /// Fills in the length, doubles every 0xFF and sends with IAC EOR.
    void Finish();
    void LockKeyboard();

    InterpreterLinks links_;
    Terminal& t_;
    const CTN5250& interpreter_;
    std::vector<std::uint8_t> record_;  ///< grows as needed; reused
    std::vector<std::uint8_t> framed_;
};

}  // namespace quenlix
