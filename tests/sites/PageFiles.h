#pragma once
// Page files for the page reader tests: pages are written to a private temporary folder the way
// the download engine leaves them (line feeds stored as carriage return + line feed).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class CPageFiles
{
public:
    CPageFiles()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lw-sites-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        dir = pattern;
    }
    ~CPageFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    CPageFiles(const CPageFiles&) = delete;
    CPageFiles& operator=(const CPageFiles&) = delete;

    // Writes `text` as downloaded: with `crlf` every line feed becomes CR LF.
    std::string Write(const std::string& text, bool crlf = true)
    {
        const std::string path = (dir / ("download_" + std::to_string(count++))).string();
        std::ofstream out(path, std::ios::binary);
        for (char c : text) {
            if (c == '\n' && crlf)
                out.put('\r');
            out.put(c);
        }
        return path;
    }

    std::string MissingPath() const { return (dir / "no-such-download").string(); }

    static std::string ReadDataFile(const std::string& relative)
    {
        std::ifstream in(std::string(LW_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
        if (!in)
            throw std::runtime_error("missing test data " + relative);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path dir;
    int count = 0;
};
