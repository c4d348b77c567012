#pragma once
// The soak's own reading of an INI file, kept apart from the program's
// profile functions so that each checks the other: sections and keys by
// folded name, values as a reader gets them (without the blanks around them
// and one pair of matching quotes), and the comment lines of each section.
#include "platform/text.h"

#include <QString>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace soak {

struct IniKey {
    std::string name; // as the file spells it
    std::string value;
};

struct IniSection {
    std::string name; // as its header spells it
    std::map<std::string, IniKey> keys; // by folded name
    std::vector<std::string> comments; // its comment lines, in order
};

// A text for a message: CP932 shown as UTF-8 in quotes, bytes that are no
// character as \xNN.
inline std::string shown(std::string_view bytes)
{
    std::string out = "\"";
    const QString text = cp932::toUnicode(bytes);
    for (const QChar ch : text) {
        if (ch.unicode() >= 0xDC00 && ch.unicode() <= 0xDCFF) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", ch.unicode() - 0xDC00);
            out += escaped;
        } else {
            out += QString(ch).toStdString();
        }
    }
    return out + "\"";
}

inline std::string fold(std::string_view name)
{
    return cp932::foldCase(name);
}

inline std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

class IniModel {
public:
    std::map<std::string, IniSection> sections; // by folded name
    std::vector<std::string> preamble; // comment lines before the first header

    const IniSection *find(std::string_view section) const
    {
        const auto it = sections.find(fold(section));
        return it == sections.end() ? nullptr : &it->second;
    }

    std::optional<std::string> value(std::string_view section, std::string_view key) const
    {
        const IniSection *s = find(section);
        if (!s)
            return std::nullopt;
        const auto it = s->keys.find(fold(key));
        return it == s->keys.end() ? std::nullopt : std::optional(it->second.value);
    }

    void set(std::string_view section, std::string_view key, std::string value)
    {
        IniSection &s = sections[fold(section)];
        if (s.name.empty())
            s.name = section;
        IniKey &k = s.keys[fold(key)];
        if (k.name.empty())
            k.name = key;
        k.value = std::move(value);
    }

    void removeKey(std::string_view section, std::string_view key)
    {
        if (const auto it = sections.find(fold(section)); it != sections.end())
            it->second.keys.erase(fold(key));
    }

    void removeSection(std::string_view section) { sections.erase(fold(section)); }
};

// Every line ends in CR LF and is blank, a comment, a header or a key line;
// a section or a key appears once. What breaks that is the error.
inline std::optional<IniModel> parseIni(std::string_view bytes, std::string &error)
{
    IniModel model;
    IniSection *current = nullptr;
    std::size_t lineNumber = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        ++lineNumber;
        const std::size_t lf = bytes.find('\n', pos);
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (lf == std::string_view::npos || lf == pos || bytes[lf - 1] != '\r') {
            error = where + "does not end in CR LF";
            return std::nullopt;
        }
        const std::string_view line = bytes.substr(pos, lf - 1 - pos);
        pos = lf + 1;
        const std::string_view text = trimmed(line);
        if (text.empty())
            continue;
        if (text.front() == ';') {
            (current ? current->comments : model.preamble).emplace_back(line);
            continue;
        }
        if (text.front() == '[') {
            const std::size_t close = text.find(']');
            if (close == std::string_view::npos) {
                error = where + "a header without \"]\": " + shown(line);
                return std::nullopt;
            }
            const std::string name(trimmed(text.substr(1, close - 1)));
            auto [it, added] = model.sections.try_emplace(fold(name));
            if (!added) {
                error = where + "section [" + name + "] appears twice";
                return std::nullopt;
            }
            current = &it->second;
            current->name = name;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !current) {
            error = where + "neither a key line of a section nor a header: " + shown(line);
            return std::nullopt;
        }
        const std::string key(trimmed(line.substr(0, equals)));
        std::string_view value = trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (!current->keys.try_emplace(fold(key), IniKey{key, std::string(value)}).second) {
            error = where + "key " + key + " appears twice in [" + current->name + "]";
            return std::nullopt;
        }
    }
    return model;
}

// The first difference between what the file should hold and what it holds;
// empty when they agree.
inline std::string firstDifference(const IniModel &expected, const IniModel &actual)
{
    if (expected.preamble != actual.preamble)
        return "the comment lines before the first section differ";
    for (const auto &[folded, want] : expected.sections) {
        const IniSection *have = actual.find(folded);
        if (!have)
            return "section [" + want.name + "] is missing";
        if (have->name != want.name)
            return "section [" + want.name + "] is spelled [" + have->name + "]";
        for (const auto &[key, value] : want.keys) {
            const auto it = have->keys.find(key);
            if (it == have->keys.end())
                return "[" + want.name + "] lost the key " + value.name + " (" + shown(value.value) + ")";
            if (it->second.value != value.value)
                return "[" + want.name + "] " + value.name + " holds " + shown(it->second.value)
                    + ", expected " + shown(value.value);
        }
        for (const auto &[key, value] : have->keys)
            if (!want.keys.contains(key))
                return "[" + want.name + "] has the unexpected key " + value.name + "=" + shown(value.value);
        if (have->comments != want.comments)
            return "[" + want.name + "] comment lines differ";
    }
    for (const auto &[folded, have] : actual.sections)
        if (!expected.sections.contains(folded))
            return "unexpected section [" + have.name + "]";
    return {};
}

} // namespace soak
