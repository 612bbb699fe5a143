// Peak memory of loading and of saving a 10,000-item watch list, against the file's size.
// Usage: bench_model_peak [FILE]  (the file is written first when absent)

#include "BenchSupport.h"

#include "core/document/LotwardDoc.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : BenchFilePath("lw-bench-10k.lwd");
    if (!std::filesystem::exists(path) && !WriteLargeFile(path, kBenchItems, kBenchPageText)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const double size = static_cast<double>(std::filesystem::file_size(path));
    ResetPeakResident();
    const long long before = PeakResidentBytes();
    CLotwardDoc doc;
    if (!doc.OnOpenDocument(path)) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        return 1;
    }
    const long long afterLoad = PeakResidentBytes();
    const std::string out = path + ".saved";
    ResetPeakResident();
    doc.OnSaveDocument(out);
    const long long afterSave = PeakResidentBytes();
    std::filesystem::remove(out);
    std::printf("file size            %10.1f MB\n", size / 1e6);
    std::printf("resident before load %10.1f MB\n", static_cast<double>(before) / 1e6);
    std::printf("peak during load     %10.1f MB  (%.2f x file size)\n", static_cast<double>(afterLoad) / 1e6,
                static_cast<double>(afterLoad) / size);
    std::printf("peak during save     %10.1f MB  (%.2f x file size)\n", static_cast<double>(afterSave) / 1e6,
                static_cast<double>(afterSave) / size);
    return 0;
}
