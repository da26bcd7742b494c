// An INI file held as its lines, so a change to one key rewrites that line alone and
// every comment, unknown key, blank line and section order survives a save.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kernel {

// One write of the profile functions: a key's new value, a key deleted (no value), or a
// whole section deleted (no key).
struct IniChange {
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
};

class IniDocument {
public:
    // Any bytes parse; lines that are neither a section header nor "key=value" are
    // kept as they are and never match a look-up.
    static IniDocument Parse(const std::string& bytes);
    std::string Serialise() const;

    // Section and key names compare case-insensitively after trimming blanks.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(const std::string& section) const;
    // Every key line of the sections of that name, in file order, as Get reads them:
    // names and values trimmed, values unquoted. A key may appear more than once.
    std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;

    // The changes as if made one after the other: a value replaces the key's first line
    // in place, else goes after the last line of the key's first section, else into a new
    // section at the end; a deleted key loses every line, a deleted section every part.
    // One pass over the lines, however many changes there are.
    void Apply(const std::vector<IniChange>& changes);

    bool UsesCrLf() const { return m_crlf; }
    bool HasBom() const { return m_bom; }

    // True when the text can be written as a name or value without changing how the
    // file parses (no line breaks; no '=' or leading '[' in a key; no ']' in a section).
    static bool IsWritableSection(const std::string& section);
    static bool IsWritableKey(const std::string& key);
    static bool IsWritableValue(const std::string& value);

private:
    std::vector<std::string> m_lines;  // without their line endings
    bool m_crlf = false;
    bool m_bom = false;

    // Index range [first, end) of the lines that belong to each section of the name.
    struct Span {
        std::size_t header;
        std::size_t end;
    };
    std::vector<Span> SectionSpans(const std::string& section) const;
    std::size_t NextHeader(std::size_t from) const;
};

// Blanks are spaces and tabs, as the platform trims them.
std::string TrimBlanks(const std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);

}  // namespace kernel
