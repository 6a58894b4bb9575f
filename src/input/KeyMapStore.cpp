// Key maps by name or path.
#include "input/KeyMapStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "session/FileIo.h"
#include "terminal/PrivateFiles.h"

namespace quenlix {

namespace {

constexpr std::string_view kExtension = ".keymap";
constexpr std::size_t kMaxUserMaps = 200;

}  // namespace

std::string UserKeyMapFolder() {
    // Without a home folder, one under the working folder.
    std::string base = UserConfigDirectory();
    if (base.empty()) base = ".config/Quenlix";
    return base + "/keymaps";
}

std::string KeyMapPath(std::string_view nameOrPath) {
    if (nameOrPath.empty() || BuiltInKeyMapByName(nameOrPath)) return {};
    if (nameOrPath.find('/') != std::string_view::npos || nameOrPath.ends_with(kExtension)) {
        return std::string(nameOrPath);
    }
    return UserKeyMapFolder() + "/" + std::string(nameOrPath) + std::string(kExtension);
}

KeyMapFileResult LoadKeyMap(std::string_view nameOrPath) {
    if (nameOrPath.empty()) return {};
    if (const auto id = BuiltInKeyMapByName(nameOrPath)) return {KeyMap::BuiltIn(*id), {}};
    const std::string path = KeyMapPath(nameOrPath);
    std::string text;
    // One byte past the parser's bound lets it say the file was cut.
    const int cause = ReadSmallFile(path, text, kMaxKeyMapFileBytes + 1);
    if (cause == EFBIG) {
        return {KeyMap(), {path + ": file larger than " +
                           std::to_string(kMaxKeyMapFileBytes / 1024) + " KiB; not read"}};
    }
    if (cause != 0) return {KeyMap(), {path + ": cannot read: " + std::strerror(cause)}};
    return ParseKeyMapFile(text, path);
}

int SaveKeyMap(const std::string& path, const KeyMap& map) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        std::error_code error;
        std::filesystem::create_directories(parent, error);
        if (error) return error.value();
    }
    return ReplaceFileContents(path, FormatKeyMapFile(map));
}

std::vector<std::string> UserKeyMapNames() {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(UserKeyMapFolder(), error);
    for (; !error && it != std::filesystem::directory_iterator() && names.size() < kMaxUserMaps;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        if (file.size() > kExtension.size() && file.ends_with(kExtension)) {
            names.push_back(file.substr(0, file.size() - kExtension.size()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quenlix
