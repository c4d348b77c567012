#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// An INI file held as its bytes, with an index of its sections, read and
// edited the way Windows' private-profile functions do. Only the bytes an edit
// must change are changed: comments, blank lines, unknown keys, line ends and
// bytes that are not valid text stay as they were.
//
// A section begins at a header line "[" name "]" (blanks around the name and
// anything after "]" ignored) and runs to the next header line. In a section,
// a line that is not a comment (";" after blanks) and holds "=" is a key line.
// Names compare without regard to ASCII case; the first match wins.
class IniFile {
public:
    explicit IniFile(std::string bytes = {});

    const std::string &bytes() const { return bytes_; }

    // The value of a key, without surrounding blanks or one pair of matching
    // quotes; none when the section or the key is absent.
    std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

    // The key names of a section, in file order.
    std::vector<std::string> keys(std::string_view section) const;

    // The edits answer whether the bytes changed. set replaces the value of
    // the first matching key in place, or adds the key after the last key of
    // the section, or adds the section at the end; new lines end in CR LF.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the key in the section, so that it reads as absent.
    bool removeKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    bool removeSection(std::string_view section);

    // Whether a name or value can be written so that it reads back as given:
    // no line break, no "]" in a section name nor a lead byte at its end, no
    // "=" in a key, and no key that would read as a comment or a header.
    static bool canWrite(std::string_view section, std::string_view key, std::string_view value);

    // How many times any file was indexed: tests see the cache at work.
    static std::size_t parseCount();

private:
    struct Line {
        std::size_t begin, end, next; // text without its line end; start of the next line
    };
    struct KeyLine {
        Line line;
        std::string_view key;
        std::size_t valueStart; // after "=" and the blanks that follow it
    };

    Line lineAt(std::size_t pos) const;
    std::string_view text(const Line &line) const;
    std::optional<std::string_view> headerName(const Line &line) const;
    std::optional<KeyLine> keyLine(const Line &line) const;
    std::optional<std::size_t> find(std::string_view section) const;
    template <typename F>
    void forEachKeyLine(std::size_t header, F f) const;
    std::optional<KeyLine> findKey(std::size_t header, std::string_view key, std::size_t *insertAt = nullptr) const;
    std::string_view missingLineEnd(std::size_t pos) const;
    void replace(std::size_t begin, std::size_t end, std::string_view text);
    void index();

    std::string bytes_;
    // Folded section name -> start of its first header line.
    std::unordered_map<std::string, std::size_t> sections_;
};
