#include "text/ReferenceData.h"

#include <fstream>
#include <unistd.h>

CReferenceData::CReferenceData(std::string path_) : path(std::move(path_)) {}

std::string CReferenceData::GetPath() const
{
    std::lock_guard guard(lock);
    return path;
}

void CReferenceData::SetPath(std::string path_)
{
    std::lock_guard guard(lock);
    path = std::move(path_);
    for (CachedPrefix& entry : cache)
        retired.push_back(std::move(entry.rows));
    cache.clear();
}

bool CReferenceData::CanOpen() const
{
    std::ifstream file(GetPath(), std::ios::binary);
    return file.is_open();
}

const CReferenceData::RowList* CReferenceData::FindCached(const std::string& prefix) const
{
    for (const CachedPrefix& entry : cache)
        if (entry.prefix == prefix)
            return entry.rows.get();
    return nullptr;
}

const CReferenceData::RowList* CReferenceData::GetRows(const std::string& prefix)
{
    std::lock_guard guard(lock);
    if (const RowList* cached = FindCached(prefix))
        return cached;

    std::ifstream file(path, std::ios::binary);
    if (!file.is_open())
        return nullptr;
    auto rows = std::make_unique<RowList>();
    const std::string key = prefix + "|";
    std::string line;
    while (std::getline(file, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, key.size(), key) == 0)
            rows->push_back(line.substr(key.size()));
    }
    // getline stops with eof at the end; bad() means the read itself failed, and a partial
    // list must not be cached as if it were the whole one.
    if (file.bad())
        return nullptr;
    cache.push_back({prefix, std::move(rows)});
    return cache.back().rows.get();
}

bool CReferenceData::GetRow(const std::string& prefix, int index, std::string& out)
{
    out.clear();
    const RowList* rows = GetRows(prefix);
    if (rows == nullptr || index < 0 || static_cast<std::size_t>(index) >= rows->size())
        return false;
    out = (*rows)[static_cast<std::size_t>(index)];
    return true;
}

bool CReferenceData::GetRowPair(const std::string& prefix, int index, std::string& name, std::string& rest)
{
    name.clear();
    rest.clear();
    std::string row;
    if (!GetRow(prefix, index, row))
        return false;
    const std::size_t bar = row.find('|');
    if (bar == std::string::npos)
    {
        name = std::move(row);
        return true;
    }
    name = row.substr(0, bar);
    rest = row.substr(bar + 1);
    return true;
}

bool CReferenceData::GetRowColumns(const std::string& prefix, int index, std::string* name, std::string* id,
                                   std::string* flag)
{
    for (std::string* output : {name, id, flag})
        if (output != nullptr)
            output->clear();
    std::string first, remainder;
    if (!GetRowPair(prefix, index, first, remainder))
        return false;
    std::string second = remainder, third;
    if (const std::size_t bar = remainder.find('|'); bar != std::string::npos)
    {
        second = remainder.substr(0, bar);
        third = remainder.substr(bar + 1);
    }
    if (name != nullptr)
        *name = std::move(first);
    if (id != nullptr)
        *id = std::move(second);
    if (flag != nullptr)
        *flag = std::move(third);
    return true;
}

std::string DefaultReferenceDataPath()
{
    std::string exe(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", exe.data(), exe.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= exe.size())
        return "Lotward.dat";
    exe.resize(static_cast<std::size_t>(length));
    const std::size_t slash = exe.rfind('/');
    return (slash == std::string::npos ? std::string() : exe.substr(0, slash + 1)) + "Lotward.dat";
}

CReferenceData& TheReferenceData()
{
    static CReferenceData instance(DefaultReferenceDataPath());
    return instance;
}

void SetReferenceDataFile(const std::string& path)
{
    TheReferenceData().SetPath(path);
}
