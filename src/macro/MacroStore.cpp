// The operator's macro files.
#include "macro/MacroStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "input/KeyMap.h"
#include "macro/MacroScript.h"
#include "session/FileIo.h"
#include "terminal/PrivateFiles.h"

namespace quenlix::macro {

std::string UserMacroFolder() {
    // Without a home folder, one under the working folder.
    std::string base = UserConfigDirectory();
    if (base.empty()) base = ".config/Quenlix";
    return base + "/macros";
}

std::string MacroPath(std::string_view name) {
    if (!IsMacroName(name)) return {};
    return UserMacroFolder() + "/" + std::string(name) + std::string(kMacroExtension);
}

std::vector<std::string> UserMacroNames() {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(UserMacroFolder(), error);
    for (; !error && it != std::filesystem::directory_iterator() && names.size() < kMaxListedMacros;
         it.increment(error)) {
        const std::string name = MacroNameOfPath(it->path().filename().string());
        if (!name.empty()) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string MacroNameOfPath(std::string_view path) {
    if (const std::size_t slash = path.rfind('/'); slash != std::string_view::npos) {
        path.remove_prefix(slash + 1);
    }
    if (path.size() <= kMacroExtension.size() || !path.ends_with(kMacroExtension)) return {};
    path.remove_suffix(kMacroExtension.size());
    return IsMacroName(path) ? std::string(path) : std::string();
}

int ReadMacroFile(const std::string& path, std::string& text) {
    return ReadSmallFile(path, text, kMaxMacroBytes);
}

int WriteMacroFile(const std::string& path, std::string_view text) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        std::error_code error;
        std::filesystem::create_directories(parent, error);
        if (error) return error.value();
    }
    // A macro may hold what the operator typed: readable by its owner only.
    return ReplaceFileContents(path, text, 0600);
}

}  // namespace quenlix::macro
