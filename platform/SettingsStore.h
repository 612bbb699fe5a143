#pragma once
// Persistent settings in sections of named values, the program's stand-in for its registry key
// Software\Ashgrove\Lotwarden\<Section>. Section and value names compare without regard to
// ASCII case, as registry names do. Strings are Windows-1252 bytes.

#include <string>
#include <vector>

class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    // An absent value, or one that is not a whole decimal number, gives `defaultValue`.
    virtual int GetInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    // An absent value gives `defaultValue`; an integer value gives its decimal text.
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue = std::string()) const = 0;
    virtual bool HasValue(const std::string& section, const std::string& key) const = 0;
    // Value names of a section in the order they were first written (empty when absent).
    virtual std::vector<std::string> GetValueNames(const std::string& section) const = 0;

    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual void RemoveValue(const std::string& section, const std::string& key) = 0;
    virtual void RemoveSection(const std::string& section) = 0;

    // Makes every change so far permanent; false when that failed (the changes stay pending
    // and a later Flush tries again).
    virtual bool Flush() = 0;
};
