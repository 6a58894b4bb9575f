// The walker's actions written down one line each, passed on to another
// implementation when one is given: two implementations fed the same
// records must have been handed the same lines.
#pragma once

#include <algorithm>
#include <string>

#include "ds5250/RecordActions.h"

namespace quenlix::ds {

class RecordActionLog : public RecordActions {
public:
    explicit RecordActionLog(RecordActions* next = nullptr) : next_(next ? next : &null_) {}

    /// The lines so far, each ending "\n".
    const std::string& text() const { return text_; }
    void clear() { text_.clear(); }

    void OperationCode(std::uint8_t opcode) override {
        Line("opcode", opcode);
        next_->OperationCode(opcode);
    }
    void NotRead(const std::uint8_t* bytes, std::size_t count) override {
        Run("not read", bytes, count);
        next_->NotRead(bytes, count);
    }
    void SaveScreen() override {
        Line("save screen");
        next_->SaveScreen();
    }
    void ReadRequest(std::uint8_t command) override {
        Line("read request", command);
        next_->ReadRequest(command);
    }
    void ReadRequestMissing(std::uint8_t byte) override {
        Line("read request missing", byte);
        next_->ReadRequestMissing(byte);
    }
    void NoEscape(std::uint8_t byte) override {
        Line("no escape", byte);
        next_->NoEscape(byte);
    }
    void WriteToDisplay(WriteControlBytes wc) override {
        Line("WTD", wc.cc1, wc.cc2);
        next_->WriteToDisplay(wc);
    }
    void ReadFields(std::uint8_t command, WriteControlBytes wc) override {
        Line("read fields", command, wc.cc1, wc.cc2);
        next_->ReadFields(command, wc);
    }
    void ClearUnit(bool alternate, std::uint8_t operand) override {
        Line(alternate ? "clear unit alternate" : "clear unit", operand);
        next_->ClearUnit(alternate, operand);
    }
    void ClearFormatTable() override {
        Line("clear format table");
        next_->ClearFormatTable();
    }
    void RestoreScreenCommand() override {
        Line("restore screen");
        next_->RestoreScreenCommand();
    }
    void WriteErrorCode(bool cursorGiven, int row, int column) override {
        Line(cursorGiven ? "write error code, IC" : "write error code", row, column);
        next_->WriteErrorCode(cursorGiven, row, column);
    }
    void WriteErrorCodeToWindow(int first, int last) override {
        Line("write error code to window", first, last);
        next_->WriteErrorCodeToWindow(first, last);
    }
    void SavePartialScreen(const PartialScreen& a) override {
        Line("save partial screen", a.flag, a.row, a.column, a.depth, a.width);
        next_->SavePartialScreen(a);
    }
    void RestorePartialScreen(const PartialScreen& a) override {
        Line("restore partial screen", a.flag, a.row, a.column, a.depth, a.width);
        next_->RestorePartialScreen(a);
    }
    void Roll(std::uint8_t control, int top, int bottom) override {
        Line("roll", control, top, bottom);
        next_->Roll(control, top, bottom);
    }
    void WriteStructuredField(const StructuredFieldStart& f) override {
        Line("WSF", f.length, f.fieldClass, f.type, f.flags);
        next_->WriteStructuredField(f);
    }
    void UnknownCommand(std::uint8_t code) override {
        Line("unknown command", code);
        next_->UnknownCommand(code);
    }
    void EndOfDisplayData() override {
        Line("end of display data");
        next_->EndOfDisplayData();
    }
    void StartOfHeader(const HeaderOrder& order) override {
        Bytes("SOH", order.bytes.data(), order.length);
        next_->StartOfHeader(order);
    }
    void RepeatToAddress(int row, int column, std::uint8_t character) override {
        Line("RA", row, column, character);
        next_->RepeatToAddress(row, column, character);
    }
    void InsertCursor(int row, int column) override {
        Line("IC", row, column);
        next_->InsertCursor(row, column);
    }
    void EraseToAddress(const EraseOrder& e) override {
        Line("EA", e.row, e.column, e.length);
        Bytes("EA types", e.types.data(), std::min(e.typeCount, e.types.size()));
        next_->EraseToAddress(e);
    }
    void MoveCursor(int row, int column) override {
        Line("MC", row, column);
        next_->MoveCursor(row, column);
    }
    void TransparentData(int length) override {
        Line("TD", length);
        next_->TransparentData(length);
    }
    void TransparentBytes(const std::uint8_t* bytes, std::size_t count) override {
        Run("TD bytes", bytes, count);
        next_->TransparentBytes(bytes, count);
    }
    void WriteExtendedAttribute(std::uint8_t type, std::uint8_t value) override {
        Line("WEA", type, value);
        next_->WriteExtendedAttribute(type, value);
    }
    void DisplayStructuredFieldOrder(const DisplayStructuredField& f) override {
        Line("WDSF", f.length, f.fieldClass, f.type, static_cast<int>(f.count));
        Bytes("WDSF data", f.bytes.data(), f.kept());
        next_->DisplayStructuredFieldOrder(f);
    }
    void SetBufferAddress(int row, int column) override {
        Line("SBA", row, column);
        next_->SetBufferAddress(row, column);
    }
    void StartOfField(const FieldOrder& f) override {
        open_ = nullptr;
        text_ += "SF";
        if (f.formatWord) {
            text_ += " ffw";
            Number(f.ffw1);
            Number(f.ffw2);
        }
        text_ += " fcw";
        Number(static_cast<int>(f.controlWords));
        if (f.resequenced) {
            text_ += " reseq";
            Number(f.resequence);
        }
        text_ += " attr";
        Number(f.attribute);
        text_ += " len";
        Number(f.length);
        text_ += '\n';
        next_->StartOfField(f);
    }
    void Data(const std::uint8_t* bytes, std::size_t count) override {
        Run("data", bytes, count);
        next_->Data(bytes, count);
    }

private:
    /// " n" appended in place: a log of a long record writes a number a byte.
    void Number(int n) {
        char digits[12];
        char* end = digits + sizeof digits;
        char* p = end;
        unsigned magnitude = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
        do {
            *--p = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (n < 0) *--p = '-';
        text_ += ' ';
        text_.append(p, static_cast<std::size_t>(end - p));
    }
    // Runs may be cut differently by different feeders: one run a line.
    void Run(const char* what, const std::uint8_t* bytes, std::size_t count) {
        if (open_ == what) {
            text_.pop_back();
        } else {
            text_ += what;
        }
        for (std::size_t i = 0; i < count; ++i) Number(bytes[i]);
        text_ += '\n';
        open_ = what;
    }
    void Line(const char* what) {
        open_ = nullptr;
        text_ += what;
        text_ += "\n";
    }
    template <typename... Values>
    void Line(const char* what, Values... values) {
        open_ = nullptr;
        text_ += what;
        (Number(static_cast<int>(values)), ...);
        text_ += "\n";
    }
    void Bytes(const char* what, const std::uint8_t* bytes, std::size_t count) {
        open_ = nullptr;
        text_ += what;
        for (std::size_t i = 0; i < count; ++i) Number(bytes[i]);
        text_ += '\n';
    }

    NullRecordActions null_;
    RecordActions* next_;
    std::string text_;
    const char* open_ = nullptr;  ///< the kind of run the last line is
};

}  // namespace quenlix::ds
