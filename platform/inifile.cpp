#include "platform/inifile.h"

#include "platform/text.h"

#include <algorithm>

namespace {

constexpr std::string_view blanks = " \t";

std::size_t parses = 0;

std::string_view trimFront(std::string_view s)
{
    s.remove_prefix(std::min(s.find_first_not_of(blanks), s.size()));
    return s;
}

std::string_view trim(std::string_view s)
{
    s = trimFront(s);
    return s.substr(0, s.find_last_not_of(blanks) + 1);
}

// Where the first "]" stands that is not the trail byte of a character.
std::size_t closingBracket(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); i += cp932::charLength(s, i))
        if (s[i] == ']')
            return i;
    return std::string_view::npos;
}

std::string_view unquote(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

} // namespace

IniFile::IniFile(std::string bytes) : bytes_(std::move(bytes))
{
    index();
}

std::size_t IniFile::parseCount()
{
    return parses;
}

bool IniFile::canWrite(std::string_view section, std::string_view key, std::string_view value)
{
    // The header written must close at its own "]": a name ending in a lead
    // byte would take that "]" for its trail byte.
    section = trim(section);
    key = trim(key);
    return closingBracket(std::string(section) + "]") == section.size() &&
           section.find_first_of("\r\n") == std::string_view::npos &&
           key.find_first_of("=\r\n") == std::string_view::npos && !key.starts_with(';') &&
           !key.starts_with('[') && value.find_first_of("\r\n") == std::string_view::npos;
}

IniFile::Line IniFile::lineAt(std::size_t pos) const
{
    const std::size_t lf = bytes_.find('\n', pos);
    const std::size_t next = lf == std::string::npos ? bytes_.size() : lf + 1;
    std::size_t end = lf == std::string::npos ? bytes_.size() : lf;
    if (end > pos && bytes_[end - 1] == '\r')
        --end;
    return {pos, end, next};
}

std::string_view IniFile::text(const Line &line) const
{
    return std::string_view(bytes_).substr(line.begin, line.end - line.begin);
}

std::optional<std::string_view> IniFile::headerName(const Line &line) const
{
    const std::string_view s = trimFront(text(line));
    if (!s.starts_with('['))
        return std::nullopt;
    const std::size_t close = closingBracket(s);
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(s.substr(1, close - 1));
}

std::optional<IniFile::KeyLine> IniFile::keyLine(const Line &line) const
{
    const std::string_view s = text(line);
    const std::size_t equals = s.find('=');
    if (equals == std::string_view::npos || trimFront(s).starts_with(';'))
        return std::nullopt;
    const std::size_t valueStart = std::min(s.find_first_not_of(blanks, equals + 1), s.size());
    return KeyLine{line, trim(s.substr(0, equals)), line.begin + valueStart};
}

std::optional<std::size_t> IniFile::find(std::string_view section) const
{
    const auto it = sections_.find(cp932::foldCase(trim(section)));
    if (it == sections_.end())
        return std::nullopt;
    return it->second;
}

// Calls f for each key line of the section whose header starts at header,
// until f answers false.
template <typename F>
void IniFile::forEachKeyLine(std::size_t header, F f) const
{
    for (std::size_t pos = lineAt(header).next; pos < bytes_.size();) {
        const Line line = lineAt(pos);
        if (headerName(line))
            return;
        if (const auto k = keyLine(line); k && !f(*k))
            return;
        pos = line.next;
    }
}

// The first line of key in the section; insertAt, when asked for, receives
// where a new key goes: after the last key line, or after the header.
std::optional<IniFile::KeyLine> IniFile::findKey(std::size_t header, std::string_view key,
                                                 std::size_t *insertAt) const
{
    key = trim(key);
    std::optional<KeyLine> found;
    std::size_t after = lineAt(header).next;
    forEachKeyLine(header, [&](const KeyLine &k) {
        if (cp932::equalsCaseless(k.key, key))
            found = k;
        after = k.line.next;
        return !found;
    });
    if (insertAt)
        *insertAt = after;
    return found;
}

std::optional<std::string_view> IniFile::value(std::string_view section, std::string_view key) const
{
    const auto header = find(section);
    const auto k = header ? findKey(*header, key) : std::nullopt;
    if (!k)
        return std::nullopt;
    const std::string_view s = std::string_view(bytes_).substr(k->valueStart, k->line.end - k->valueStart);
    return unquote(trim(s));
}

std::vector<std::string> IniFile::keys(std::string_view section) const
{
    std::vector<std::string> names;
    if (const auto header = find(section))
        forEachKeyLine(*header, [&](const KeyLine &k) {
            names.emplace_back(k.key);
            return true;
        });
    return names;
}

// What must precede a line added at pos so that the line before it is ended.
std::string_view IniFile::missingLineEnd(std::size_t pos) const
{
    if (pos == 0 || bytes_[pos - 1] == '\n')
        return "";
    return bytes_[pos - 1] == '\r' ? "\n" : "\r\n";
}

// Replaces bytes inside one section; the sections after it move along.
void IniFile::replace(std::size_t begin, std::size_t end, std::string_view text)
{
    bytes_.replace(begin, end - begin, text);
    for (auto &[name, header] : sections_)
        if (header >= end)
            header = header - (end - begin) + text.size();
}

bool IniFile::set(std::string_view section, std::string_view key, std::string_view value)
{
    section = trim(section);
    key = trim(key);
    const auto header = find(section);
    if (!header) {
        const std::string_view lineEnd = missingLineEnd(bytes_.size());
        const std::size_t at = bytes_.size() + lineEnd.size();
        bytes_.append(lineEnd)
            .append("[").append(section).append("]\r\n")
            .append(key).append("=").append(value).append("\r\n");
        sections_.try_emplace(cp932::foldCase(section), at);
        return true;
    }
    std::size_t insertAt;
    if (const auto k = findKey(*header, key, &insertAt)) {
        if (std::string_view(bytes_).substr(k->valueStart, k->line.end - k->valueStart) == value)
            return false;
        replace(k->valueStart, k->line.end, value);
        return true;
    }
    replace(insertAt, insertAt,
            std::string(missingLineEnd(insertAt)).append(key).append("=").append(value).append("\r\n"));
    return true;
}

bool IniFile::removeKey(std::string_view section, std::string_view key)
{
    const auto header = find(section);
    bool changed = false;
    while (const auto k = header ? findKey(*header, key) : std::nullopt) {
        replace(k->line.begin, k->line.next, "");
        changed = true;
    }
    return changed;
}

bool IniFile::removeSection(std::string_view section)
{
    section = trim(section);
    if (!find(section))
        return false;
    std::string kept;
    kept.reserve(bytes_.size());
    bool keeping = true;
    std::size_t runStart = 0; // of the lines being kept
    for (std::size_t pos = 0; pos < bytes_.size();) {
        const Line line = lineAt(pos);
        if (const auto name = headerName(line)) {
            const bool remove = cp932::equalsCaseless(*name, section);
            if (keeping && remove)
                kept.append(bytes_, runStart, line.begin - runStart);
            else if (!keeping && !remove)
                runStart = line.begin;
            keeping = !remove;
        }
        pos = line.next;
    }
    if (keeping)
        kept.append(bytes_, runStart);
    bytes_ = std::move(kept);
    index();
    return true;
}

void IniFile::index()
{
    ++parses;
    sections_.clear();
    for (std::size_t pos = 0; pos < bytes_.size();) {
        const Line line = lineAt(pos);
        if (const auto name = headerName(line))
            sections_.try_emplace(cp932::foldCase(*name), pos);
        pos = line.next;
    }
}
