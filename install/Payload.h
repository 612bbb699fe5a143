#pragma once
// The payload files the installer writes to disk, found by resource name ("FILE1" to "FILE9").
// FILE1 (readme), FILE7 (licence) and FILE8 (sample watch list) exist in an English and a
// French variant; the lookup picks the variant of the given language.

#include <map>
#include <optional>
#include <string>
#include <string_view>

class IPayloadSource
{
public:
    virtual ~IPayloadSource() = default;
    virtual std::optional<std::string_view> Find(const std::string& name, int language) const = 0;
};

// The payload built into the Install program.
class CEmbeddedPayload : public IPayloadSource
{
public:
    std::optional<std::string_view> Find(const std::string& name, int language) const override;
};

// Payload held in memory (tests, and tools that assemble their own).
class CMemoryPayload : public IPayloadSource
{
public:
    // language -1: the same bytes for every language.
    void Add(const std::string& name, std::string bytes, int language = -1);
    std::optional<std::string_view> Find(const std::string& name, int language) const override;

private:
    std::map<std::pair<std::string, int>, std::string> files;
};

// Whether the resource has a variant per language.
bool IsLocalizedPayload(const std::string& name);
