#include "input/HotspotClick.h"

#include "input/KeyRefusal.h"
#include "terminal/ScreenAddress.h"

namespace quenlix {

HotspotClickResult ClickHotspot(OperatorInput& input, const Hotspot& hotspot) {
    if (hotspot.kind == HotspotKind::kUrl) return HotspotClickResult::kOpen;
    const InputLinks& links = input.links();
    Terminal& t = links.terminal;
    if (t.state.inputInhibited != 0 || t.state.sysReqMode != 0) {
        RefuseKey(links, refusal::kClickWhileLocked);
        return HotspotClickResult::kRefused;
    }
    if (hotspot.kind != HotspotKind::kOption) {
        if (!hotspot.function) return HotspotClickResult::kRefused;
        input.PerformFunction(*hotspot.function);
        return HotspotClickResult::kPerformed;
    }
    const FieldEntry* field = t.formatTable.entry(hotspot.field);
    const int first = field ? FirstDataPosition(*field, t.columns()) : -1;
    if (!field || field->bypass || first < 0 || first >= t.cellCount() || t.columns() <= 0) {
        RefuseKey(links, refusal::kNoOptionField);
        return HotspotClickResult::kRefused;
    }
    // As the operator would: to the field's start, clear it, type, Enter.
    input.state().fieldExitPending = false;
    t.SetCursorCell(first / t.columns(), first % t.columns());
    input.PerformFunction(KeyFunction::kEraseEof);
    input.Type(hotspot.action);
    if (hotspot.enter) input.PerformFunction(KeyFunction::kEnter);
    return HotspotClickResult::kPerformed;
}

}  // namespace quenlix
