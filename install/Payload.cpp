#include "install/Payload.h"

bool IsLocalizedPayload(const std::string& name)
{
    return name == "FILE1" || name == "FILE7" || name == "FILE8";
}

void CMemoryPayload::Add(const std::string& name, std::string bytes, int language)
{
    files[{name, language}] = std::move(bytes);
}

std::optional<std::string_view> CMemoryPayload::Find(const std::string& name, int language) const
{
    if (auto it = files.find({name, language}); it != files.end())
        return std::string_view(it->second);
    if (auto it = files.find({name, -1}); it != files.end())
        return std::string_view(it->second);
    return std::nullopt;
}
