// The printer session: startup response, print records, answers, files.
#include "connection/PrinterSession.h"

#include <cmath>

#include "printout/SpoolFileName.h"

namespace quenlix {

namespace {
// Code pages a host may switch a spooled file to that are kept at once.
constexpr std::size_t kMaxCodePageTables = 64;
constexpr double kPointsPerInch = 72.0;
}  // namespace

PrinterSession::PrinterSession(const PrinterFrontEnd& frontEnd, const std::string& tableDirectory)
    : frontEnd_(frontEnd),
      endpoint_(CommunicationLinks{*this, settings, frontEnd.messages, *this, frontEnd.notifier}) {
    tables_.InitTranslation(tableDirectory);
    endpoint_.SetInterpreter(this);
    endpoint_.SetRecordHeader(Communication::RecordHeader::kPrinter);
}

PrinterSession::~PrinterSession() {
    if (raw_) std::fclose(raw_);
}

scs::PageDefaults PrinterSession::Defaults() const {
    const PaperSize& paper = FindPaperSize(settings.PaperSizeName);
    scs::PageDefaults d;
    d.columns = static_cast<int>(std::floor(paper.widthInches * d.charactersPerInch));
    d.lines = static_cast<int>(std::floor(paper.heightInches * d.linesPerInch));
    return d;
}

void PrinterSession::Prepare() {
    // A printer whatever the file says, so that the negotiation describes one.
    settings.Device = DeviceKind::kPrinter;
    startupCode_.reset();
    notice_.clear();
    codePageCharacters_.clear();
    scs_ = std::make_unique<scs::ScsInterpreter>(static_cast<scs::PageSink&>(*this), Defaults());
    tables_.SelectTables(settings.PageCode);
    scs_->SetCharacters(scs::MakeCharacterTable(tables_.current()));
    scs_->codePages = [this](int codePage) { return CodePageCharacters(codePage); };
}

bool PrinterSession::StartConnection() {
    Prepare();
    connected_ = endpoint_.Connect(settings.IP, settings.Port);
    state_ = connected_ ? State::kStarting : State::kIdle;
    return connected_;
}

void PrinterSession::StartWithoutSocket() {
    Prepare();
    connected_ = true;
    state_ = State::kStarting;
}

const scs::CharacterTable* PrinterSession::CodePageCharacters(int codePage) {
    if (auto found = codePageCharacters_.find(codePage); found != codePageCharacters_.end()) {
        return &found->second;
    }
    if (codePageCharacters_.size() >= kMaxCodePageTables) return nullptr;
    if (tables_.SelectTables(codePage) != kTablesSelected) return nullptr;
    return &codePageCharacters_.emplace(codePage, scs::MakeCharacterTable(tables_.current()))
                .first->second;
}

void PrinterSession::EndSession() {
    if (!End()) return;
    frontEnd_.events.SessionEnded(state_ == State::kRefused ? notice_ : "Disconnected");
}

bool PrinterSession::End() {
    if (!connected_) return false;
    CloseFile();
    connected_ = false;
    endpoint_.Close();
    if (state_ != State::kRefused) state_ = State::kIdle;
    paused_ = false;
    return true;
}

void PrinterSession::HostEndedSession() {
    // The endpoint says why right after (SetConnectionNotice).
    hostEnding_ = End();
}

void PrinterSession::SetConnectionNotice(const std::string& notice) {
    if (notice.empty() || !hostEnding_) return;
    hostEnding_ = false;
    frontEnd_.events.SessionEnded(state_ == State::kRefused ? notice_ : notice);
}

void PrinterSession::Pause() {
    paused_ = true;
    endpoint_.SuspendNotifications();
}

void PrinterSession::Resume() {
    paused_ = false;
    endpoint_.ResumeNotifications();
}

void PrinterSession::OnTimerTick() {
    endpoint_.CheckOutputStall();
    endpoint_.CheckHandshakeTime();
}

int PrinterSession::currentPages() const { return pdf_ ? pdf_->pages() : 0; }

void PrinterSession::ProcessRecord(const std::uint8_t* record, std::size_t count) {
    const scs::PrinterRecord r = scs::ReadPrinterRecord(record, count);
    switch (r.kind) {
        case scs::PrinterRecord::Kind::kStartupResponse:
            startupCode_ = r.code;
            if (r.code->Ready()) {
                state_ = State::kReady;
                frontEnd_.events.PrinterReady(*r.code);
            } else {
                state_ = State::kRefused;
                notice_ = r.code->code + " " + std::string(r.code->Text());
                frontEnd_.events.PrinterRefused(*r.code);
            }
            return;
        case scs::PrinterRecord::Kind::kPrint:
            Print(r);
            Answer(scs::PrintCompleteRecord());
            return;
        case scs::PrinterRecord::Kind::kClear:
            if (scs_) scs_->Clear();
            CloseFile();
            Answer(scs::ClearedRecord());
            return;
        case scs::PrinterRecord::Kind::kOther:
            return;
        case scs::PrinterRecord::Kind::kMalformed:
            frontEnd_.events.Problem("host record skipped: " + r.problem);
            return;
    }
}

void PrinterSession::Answer(const std::vector<std::uint8_t>& record) {
    endpoint_.Send(record.data(), record.size());
}

void PrinterSession::Print(const scs::PrinterRecord& record) {
    if (record.dataLength > 0 && currentPath_.empty() && !OpenFile()) {
        // Nothing can be written: the data is dropped, the host still
        // answered, so it does not wait for ever.
        if (record.endOfFile && scs_) scs_->Clear();
        return;
    }
    if (record.dataLength > 0) {
        if (raw_) {
            // Printer-ready data from the host's transform goes as it came.
            if (!rawFailed_ &&
                std::fwrite(record.data, 1, record.dataLength, raw_) != record.dataLength) {
                rawFailed_ = true;
                frontEnd_.events.Problem("could not write " + currentPath_);
            }
        } else if (scs_) {
            scs_->Feed(record.data, record.dataLength);
        }
    }
    if (record.endOfFile) CloseFile();
}

bool PrinterSession::OpenFile() {
    const std::string date = fileDate.empty() ? printout::TodayText() : fileDate;
    const bool transform = settings.HostPrintTransform != 0;
    std::string error;
    std::FILE* file = printout::CreateSpoolFile(settings.OutputFolder, date,
                                                transform ? "prn" : "pdf", currentPath_, error);
    if (!file) {
        frontEnd_.events.Problem("cannot create a file for the spooled file: " + error);
        return false;
    }
    state_ = State::kPrinting;
    if (transform) {
        raw_ = file;
        rawFailed_ = false;
    } else {
        const PaperSize& paper = FindPaperSize(settings.PaperSizeName);
        pdf_ = std::make_unique<printout::PdfSpoolWriter>(file, paper.widthInches * kPointsPerInch,
                                                          paper.heightInches * kPointsPerInch);
    }
    return true;
}

void PrinterSession::CloseFile() {
    if (currentPath_.empty()) return;
    int pages = 0;
    bool ok = true;
    if (pdf_) {
        // The page under way is the file's last.
        if (scs_) scs_->EndOfFile();
        ok = pdf_->Finish();
        pages = pdf_->pages();
        if (!ok) frontEnd_.events.Problem("could not write " + currentPath_ + ": " + pdf_->error());
        pdf_.reset();
    }
    if (raw_) {
        ok = std::fclose(raw_) == 0 && !rawFailed_;
        raw_ = nullptr;
        if (!ok) frontEnd_.events.Problem("could not write " + currentPath_);
    }
    const std::string path = currentPath_;
    currentPath_.clear();
    if (state_ == State::kPrinting) state_ = State::kReady;
    if (ok) {
        ++filesPrinted_;
        frontEnd_.events.FilePrinted(path, pages);
    }
}

void PrinterSession::PageReady(const scs::PrintedPage& page) {
    if (!pdf_) return;
    frontEnd_.events.PageLaidOut(page);
    pdf_->PageReady(page);
    frontEnd_.events.PagePrinted(currentPath_, pdf_->pages());
}

void PrinterSession::Malformed(const std::string& what) {
    frontEnd_.events.Problem("SCS data skipped: " + what);
}

}  // namespace quenlix
