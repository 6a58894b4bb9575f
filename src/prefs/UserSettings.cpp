// Loading and saving the preferences. One ordered list of (section, name,
// field) drives both directions, so the load and the save can never
// disagree on a name or on the order.
#include "prefs/UserSettings.h"

#include <algorithm>
#include <type_traits>
#include <vector>

namespace quenlix {

namespace {

// Calls visit(section, name, field, default) for every preference except
// "FullScreen", in stored order. `S` is UserSettings, const or not.
template <typename S, typename Visit>
void ForEachPreference(S& s, Visit&& visit) {
    static const UserSettings d;
    for (std::size_t i = 0; i < kColorValueNames.size(); ++i) {
        visit(kColorsSection, kColorValueNames[i], s.colors[i], d.colors[i]);
    }
    visit(kFontSection, "Italic", s.Italic, d.Italic);
    visit(kFontSection, "Bold", s.Bold, d.Bold);
    visit(kFontSection, "Face", s.Face, d.Face);
    visit(kBkgndImageSection, "ImageFile", s.ImageFile, d.ImageFile);
    visit(kBkgndImageSection, "BkgndActive", s.BkgndActive, d.BkgndActive);
    visit(kBkgndImageSection, "BkgndMode", s.BkgndMode, d.BkgndMode);
    visit(kOptionsSection, "NbrTabSpace", s.NbrTabSpace, d.NbrTabSpace);
    visit(kOptionsSection, "TrimBlankRight", s.TrimBlankRight, d.TrimBlankRight);
    visit(kOptionsSection, "FileName", s.FileName, d.FileName);
    visit(kOptionsSection, "Check", s.Check, d.Check);
    visit(kOptionsSection, "CheckRepere", s.CheckRepere, d.CheckRepere);
    visit(kOptionsSection, "BlinkCursor", s.BlinkCursor, d.BlinkCursor);
    visit(kOptionsSection, "CursorForm", s.CursorForm, d.CursorForm);
    visit(kOptionsSection, "RefusedKeyAlarm", s.RefusedKeyAlarm, d.RefusedKeyAlarm);
    visit(kOptionsSection, "ReplaceSession", s.ReplaceSession, d.ReplaceSession);
    visit(kOptionsSection, "ReopenWorkspace", s.ReopenWorkspace, d.ReopenWorkspace);
    visit(kOptionsSection, "MapOverTabKeys", s.MapOverTabKeys, d.MapOverTabKeys);
    visit(kOptionsSection, "Hotspots", s.Hotspots, d.Hotspots);
    visit(kPrintSection, "PrinterName", s.PrinterName, d.PrinterName);
    visit(kPrintSection, "Orientation", s.Orientation, d.Orientation);
    visit(kPrintSection, "PaperSize", s.PaperSize, d.PaperSize);
    visit(kPrintSection, "Source", s.Source, d.Source);
}

constexpr std::string_view kFullScreenName = "FullScreen";

}  // namespace

UserSettings LoadUserSettings(const SettingsStore& store) {
    UserSettings s;
    ForEachPreference(s, [&store](std::string_view section, std::string_view name, auto& field,
                                  const auto& def) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            field = store.ReadString(section, name, def);
        } else {
            // A 32-bit value taken into the field's width: the 16-bit fields
            // keep the low half, int fields the same bits.
            field = static_cast<T>(store.ReadInt(section, name, static_cast<std::uint32_t>(def)));
        }
    });
    s.FullScreen = static_cast<int>(store.ReadInt("", kFullScreenName, 0));
    // Earlier versions showed "bkground.bmp" unless told otherwise: a picture
    // turned on in the store with no file named there still means that one.
    const std::vector<std::string> pictureKeys = store.Keys(kBkgndImageSection);
    if (s.BkgndActive != 0 &&
        std::find(pictureKeys.begin(), pictureKeys.end(), "ImageFile") == pictureKeys.end()) {
        s.ImageFile = std::string(kLegacyImageFile);
    }
    return s;
}

void SaveUserSettings(SettingsStore& store, const UserSettings& settings,
                      const WindowLayout& layout) {
    ForEachPreference(settings, [&store](std::string_view section, std::string_view name,
                                         const auto& field, const auto&) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            store.WriteString(section, name, field);
        } else {
            // 16-bit fields are unsigned, so they are written zero-extended.
            store.WriteInt(section, name, static_cast<std::uint32_t>(field));
        }
    });
    if (settings.FullScreen == 0) SaveWindowLayout(store, layout);
    store.WriteInt("", kFullScreenName, static_cast<std::uint32_t>(settings.FullScreen));
}

void SaveChangedUserSettings(SettingsStore& store, const UserSettings& readAtStart,
                             const UserSettings& settings, const WindowLayout& layout) {
    // The two visits run over the same list in the same order: the start
    // values are collected first, then each field is compared with its own.
    std::vector<std::string> startTexts;
    std::vector<std::uint32_t> startNumbers;
    ForEachPreference(readAtStart, [&](std::string_view, std::string_view, const auto& field,
                                       const auto&) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            startTexts.push_back(field);
        } else {
            startNumbers.push_back(static_cast<std::uint32_t>(field));
        }
    });
    std::size_t text = 0;
    std::size_t number = 0;
    ForEachPreference(settings, [&](std::string_view section, std::string_view name,
                                    const auto& field, const auto&) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            if (field != startTexts[text++]) store.WriteString(section, name, field);
        } else {
            const auto value = static_cast<std::uint32_t>(field);
            if (value != startNumbers[number++]) store.WriteInt(section, name, value);
        }
    });
    if (settings.FullScreen == 0) SaveWindowLayout(store, layout);
    if (settings.FullScreen != readAtStart.FullScreen) {
        store.WriteInt("", kFullScreenName, static_cast<std::uint32_t>(settings.FullScreen));
    }
}

void ApplyUserSettings(const UserSettings& settings, Terminal& terminal) {
    terminal.colors = settings.colors;
    terminal.state.BlinkCursor = settings.BlinkCursor;
    terminal.state.CheckRepere = settings.CheckRepere;
    terminal.state.CursorForm = settings.CursorForm;
}

void CollectUserSettings(const Terminal& terminal, UserSettings& settings) {
    settings.colors = terminal.colors;
    settings.BlinkCursor = terminal.state.BlinkCursor;
    settings.CheckRepere = terminal.state.CheckRepere;
    settings.CursorForm = terminal.state.CursorForm;
}

}  // namespace quenlix
