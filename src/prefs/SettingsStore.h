// The per-user preference store: named sections of named values, each value
// a 32-bit integer or a string. The program keeps its preferences in one
// store; the desktop program backs it with the platform's settings, tests
// with the in-memory store below.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlix {

/// Sections and values of the program's per-user key.
///
/// A section name is a path of words separated by "/" ("Colors",
/// "ToolBars/Tool"); the empty section is the program's key itself. Value
/// names are single words. Names are compared exactly.
///
/// Failures are silent: a read that finds nothing usable gives the default,
/// a write that fails is lost. Reads never create anything.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    /// The stored 32-bit integer, or `def` when the value is missing or its
    /// text is not a whole number that ParseStoredInt accepts.
    virtual std::uint32_t ReadInt(std::string_view section, std::string_view name,
                                  std::uint32_t def) const = 0;
    /// The stored string (an integer value reads as its decimal text), or
    /// `def` when the value is missing.
    virtual std::string ReadString(std::string_view section, std::string_view name,
                                   std::string_view def) const = 0;
    /// Creates or replaces the value, creating the section when missing.
    virtual void WriteInt(std::string_view section, std::string_view name, std::uint32_t value) = 0;
    virtual void WriteString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
    /// Deletes one value; nothing happens when it does not exist.
    virtual void Remove(std::string_view section, std::string_view name) = 0;
    /// Names of the values directly in the section (not of its subsections),
    /// sorted; empty when the section does not exist.
    virtual std::vector<std::string> Keys(std::string_view section) const = 0;
};

/// The integer a stored text stands for: an optional "+" or "-" and 1 to 10
/// decimal digits, nothing else (no blanks), in -2^31..2^32-1. A negative
/// number is taken modulo 2^32, as a 32-bit store holds it. Empty otherwise.
/// Stores that keep integers as text read them through this.
std::optional<std::uint32_t> ParseStoredInt(std::string_view text);

/// A store held in memory, with a value's kind (integer or string) kept so
/// tests can check how each value was written.
class MemorySettingsStore : public SettingsStore {
public:
    struct Value {
        bool isInt = false;
        std::uint32_t number = 0;  ///< the integer, when isInt
        std::string text;          ///< the string, when not isInt
        friend bool operator==(const Value&, const Value&) = default;
    };

    std::uint32_t ReadInt(std::string_view section, std::string_view name,
                          std::uint32_t def) const override;
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view def) const override;
    void WriteInt(std::string_view section, std::string_view name, std::uint32_t value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    void Remove(std::string_view section, std::string_view name) override;
    std::vector<std::string> Keys(std::string_view section) const override;

    /// The value as stored, or empty.
    std::optional<Value> Find(std::string_view section, std::string_view name) const;
    /// Names of the sections holding at least one value, sorted.
    std::vector<std::string> Sections() const;
    /// Number of values in every section together.
    std::size_t ValueCount() const;
    /// Forgets everything, as deleting the program's key does.
    void Clear() { sections_.clear(); }

private:
    std::map<std::string, std::map<std::string, Value, std::less<>>, std::less<>> sections_;
};

}  // namespace quenlix
