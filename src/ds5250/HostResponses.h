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
    /// Every answer is built from the model in `links.terminal` alone (the
    /// read order from its hostFormat).
    explicit HostResponses(const InterpreterLinks& links);

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
    void SendReadScreenExtended() override;
    void SendReadImmediate() override;
    void SendSaveScreen() override;
    void SendQueryReply(std::uint8_t queryClass) override;
    void SendSavePartialScreen(const ds::PartialScreen& area) override;

    /// FormatTable indexes in the order the host reads fields: table order,
    /// or from resequenceField - 1 along the fcw2 links. Each entry at most
    /// once, so a cycle of links ends.
    std::vector<int> ReadOrder() const;

    /// The longest record: its length is a 16-bit number. Field data that
    /// would make a record longer is left out, from the first field that
    /// does not fit on, so no length is ever sent wrapped.
    static constexpr std::size_t kMaxRecordLength = 65535;

private:
    /// How a read sends a field's data: a Read MDT Fields answer (and the
    /// automatic Enter) without the field's trailing nulls, the other reads
    /// with every data position. Either way the other nulls go as blanks,
    /// the sign position of a signed-numeric field is left out (a minus
    /// there is the zone 0xD of the last digit), and only positions on the
    /// screen are sent.
    enum class FieldRead { kModified, kEvery };

    /// Starts a record: room for the length, the GDS header, flag and opcode.
    void Begin(std::uint8_t opcode, std::uint8_t flag1 = 0);
    void PushCursor();
    /// The field's address, then its data, when both fit in the record;
    /// false, leaving the record as it was, when they do not.
    bool PushModifiedField(const FieldEntry& e);
    void PushFieldAddress(const FieldEntry& e);
    /// False, leaving the record as it was, when the data does not fit.
    bool PushFieldData(const FieldEntry& e, FieldRead how);
    /// The cells [first, end) as display data, a byte the interpreter would
    /// take for an order as a Repeat to Address of one position.
    void PushImage(int first, int end);
    /// Fills in the length, doubles every 0xFF and sends with IAC EOR.
    void Finish();
    void LockKeyboard();

    InterpreterLinks links_;
    Terminal& t_;
    std::vector<std::uint8_t> record_;  ///< grows as needed; reused
    std::vector<std::uint8_t> framed_;
};

}  // namespace quenlix
