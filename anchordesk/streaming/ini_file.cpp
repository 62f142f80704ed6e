#include "streaming/ini_file.h"

#include <iostream>

namespace {

const char kTrimmed[] = "\t\v\f; ";

std::string Trim(const std::string& text, const char* characters)
{
    const size_t first = text.find_first_not_of(characters);
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

[[noreturn]] void ReportDuplicate(const char* what, const std::string& name, int lineNumber)
{
    const std::string text = std::string("Error: ini-reader: Duplicate ") + what + " '" + name +
                             "':" + std::to_string(lineNumber);
    std::cerr << text << std::endl;
    throw IniDuplicateError(text);
}

} // namespace

INIFile::INIFile(const std::string& fileName) : m_fileName(fileName)
{
    m_sections[m_current]; // the unnamed section always exists
    if (std::FILE* file = std::fopen(fileName.c_str(), "rt")) {
        try {
            Read(file);
        } catch (...) {
            std::fclose(file);
            throw;
        }
        std::fclose(file);
    }
}

void INIFile::Read(std::FILE* file)
{
    std::string line;
    int lineNumber = 0;
    bool more = true;
    while (more) {
        line.clear();
        int c;
        while ((c = std::fgetc(file)) != EOF && c != '\n')
            line.push_back(static_cast<char>(c));
        more = (c != EOF);
        if (!more && line.empty())
            break;
        ++lineNumber;

        const std::string trimmed = Trim(line, kTrimmed);
        if (trimmed.empty())
            continue;

        if (trimmed[0] == '[') {
            const std::string name = Trim(trimmed, "[] ");
            if (m_sections.count(name))
                ReportDuplicate("section", name, lineNumber);
            m_sections[name];
            m_current = name;
            continue;
        }

        const size_t equals = trimmed.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = Trim(trimmed.substr(0, equals), kTrimmed);
        const std::string value = Trim(trimmed.substr(equals + 1), kTrimmed);
        Section& section = m_sections[m_current];
        if (section.count(key))
            ReportDuplicate("key", key, lineNumber);
        section[key] = value;
    }
}

bool INIFile::Select(const std::string& name)
{
    m_current = name;
    return !m_sections.emplace(name, Section()).second;
}

std::string INIFile::Get(const std::string& key, const std::string& defaultValue) const
{
    const Section& section = m_sections.at(m_current);
    const auto found = section.find(key);
    return found == section.end() ? defaultValue : found->second;
}

void INIFile::Set(const std::string& key, const std::string& value)
{
    m_sections[m_current][key] = value;
}

bool INIFile::Save(const std::string& fileName) const
{
    std::FILE* file = std::fopen(fileName.c_str(), "wt");
    if (!file)
        return false;
    for (const auto& [name, section] : m_sections) {
        if (!name.empty())
            std::fprintf(file, "[%s]\n", name.c_str());
        for (const auto& [key, value] : section)
            std::fprintf(file, "%s=%s\n", key.c_str(), value.c_str());
    }
    std::fclose(file);
    return true;
}
