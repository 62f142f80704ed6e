#pragma once

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

// Raised while reading when a section or a key appears twice.
class IniDuplicateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reader and writer of small INI files such as "conf.ini".
//
// Reading trims tab, vertical tab, form feed, ';' and space from both ends of
// every line; "[name]" opens a section; "key=value" stores a pair; other lines
// are ignored. Keys before the first header belong to the unnamed section,
// which always exists. A duplicate section or key prints
// "Error: ini-reader: Duplicate ..." to stderr and raises IniDuplicateError.
class INIFile {
public:
    using Section = std::map<std::string, std::string>;

    explicit INIFile(const std::string& fileName);

    // Makes `name` current; creates it (and returns false) when it is absent.
    bool Select(const std::string& name);
    std::string Get(const std::string& key, const std::string& defaultValue) const;
    void Set(const std::string& key, const std::string& value);

    // Rewrites `fileName` with sorted sections and keys; returns false when the
    // file cannot be opened for writing (nothing is written then).
    bool Save(const std::string& fileName) const;

private:
    void Read(std::FILE* file);

    std::string m_fileName;
    std::map<std::string, Section> m_sections;
    std::string m_current;
};
