// The 5250 query (Write Structured Field, class 0xD9 type 0x70) and the
// terminal's reply: device type and model, shown on the display station
// query screen. The query is the host's first record after the negotiation;
// the first screen waits for the terminal's answer.
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

void HostSession::DrawQueryInfo(ScreenWriter& w) {
    w.Title("Display Station Query");
    if (query_.received) {
        w.Text(3, 2, "Device type . . . . :  " + query_.deviceType);
        w.Text(4, 2, "Model . . . . . . . :  " + query_.model);
        w.Text(5, 2, "Query class . . . . :  " + Hex2(query_.queryClass));
        w.Text(6, 2, "Reply length  . . . :  " + std::to_string(query_.length + 10));
    } else {
        w.Text(3, 2, "No query reply yet.");
    }
    w.Text(8, 2, "Terminal type . . . :  " + terminalType_);
    w.Text(9, 2,
           "Screen size . . . . :  " + std::to_string(rows_) + " x " + std::to_string(columns_));
    w.Text(10, 2, "Display name  . . . :  " + deviceName_);
    w.FunctionKeys("Enter=Return   F3=Exit   F12=Cancel");
}

void HostSession::SendQuery() {
    // Put/Get, as IBM i hosts send it.
    RecordBuilder rb(kOpPutGet, config_.tables);
    rb.queryStructuredField();
    Send(rb.record(), "Put/Get Write Structured Field query");
}

void HostSession::OnStartupAnswer(const InboundRecord& r) {
    if (r.kind == InboundKind::kQueryReply) {
        OnQueryReply(r);
    } else {
        // A terminal without the query answers with a negative response; an
        // operator's key may come first. Either way the terminal is there and
        // waits, and a real host goes on to its first screen.
        Log("no query reply: the first screen without it");
    }
    StartApplication();
}

void HostSession::QueryReplyTimedOut() {
    if (phase_ != Phase::kAwaitQueryReply) return;
    Log("the query was not answered in time: the first screen without it");
    StartApplication();
}

void HostSession::OnQueryReply(const InboundRecord& r) {
    // Data offsets (after the header): 3,4 length; 5 class; 6 type; 29 device
    // kind; 30..33 device type; 34..36 model, right-aligned behind 0x00.
    query_ = QueryInfo{};
    query_.received = true;
    query_.length = r.data.size();
    if (r.data.size() >= 37) {
        query_.queryClass = r.data[5];
        query_.deviceType = ToText(r.data.data() + 30, 4, config_.tables);
        for (std::size_t i = 34; i < 37; ++i) {
            if (r.data[i] != 0x00) query_.model += ToText(&r.data[i], 1, config_.tables);
        }
    }
    // Data offset 53: the enhanced field control words and structured fields.
    query_.enhanced = r.data.size() > 53 && (r.data[53] & kQueryStructuredFields) != 0;
    Log("query reply: device type " + query_.deviceType + " model " + query_.model +
        (query_.enhanced ? ", enhanced interface" : ""));
    if (queryShown_ && screen_ == ScreenId::kQueryInfo) {
        queryShown_ = false;
        Show(ScreenId::kQueryInfo);
    }
}

}  // namespace quenlix::demohost
