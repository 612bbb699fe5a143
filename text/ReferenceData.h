#pragma once
// The reference data file Lotward.dat: rows of "prefix|content", read once per prefix on
// demand and kept for the rest of the run.
//
// Lookups may come from several threads (the user-interface thread and the download scheduler);
// the cache is guarded by a mutex. A list handed out stays valid as long as the object lives,
// even after SetPath.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CReferenceData
{
public:
    using RowList = std::vector<std::string>;

    explicit CReferenceData(std::string path = {});
    CReferenceData(const CReferenceData&) = delete;
    CReferenceData& operator=(const CReferenceData&) = delete;

    std::string GetPath() const;
    // Points the object at another file and forgets what it read (lists handed out stay valid).
    void SetPath(std::string path);

    // True when the file can be opened for reading (opened and closed at once).
    bool CanOpen() const;

    // The rows of `prefix` (the text after "prefix|"), in file order; nullptr when the file
    // cannot be read, in which case nothing is cached and the next lookup tries again.
    const RowList* GetRows(const std::string& prefix);

    // Clears `out`; false when there are no rows or `index` is out of range.
    bool GetRow(const std::string& prefix, int index, std::string& out);
    // Splits the row at its first "|" into `name` and `rest` (both cleared first).
    bool GetRowPair(const std::string& prefix, int index, std::string& name, std::string& rest);
    // name | id | flag; any output may be nullptr. Without a second "|" the remainder is `id`.
    bool GetRowColumns(const std::string& prefix, int index, std::string* name = nullptr,
                       std::string* id = nullptr, std::string* flag = nullptr);

private:
    struct CachedPrefix
    {
        std::string prefix;
        std::unique_ptr<RowList> rows;
    };

    const RowList* FindCached(const std::string& prefix) const;

    mutable std::mutex lock;
    std::string path;
    std::vector<CachedPrefix> cache;
    std::vector<std::unique_ptr<RowList>> retired; // lists of earlier paths, kept for borrowers
};

// Path of Lotward.dat beside the running executable.
std::string DefaultReferenceDataPath();

// The process-wide reference data (by default DefaultReferenceDataPath()).
CReferenceData& TheReferenceData();
// Points the process-wide reference data at another file (tests, command-line tools).
void SetReferenceDataFile(const std::string& path);
