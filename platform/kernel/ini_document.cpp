#include "platform/kernel/ini_document.h"

namespace kernel {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t FirstNonBlank(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

// "[name]" with optional blanks; a header without its ']' still names a section, so a
// damaged line cannot make the keys under it belong to the section before.
bool HeaderName(const std::string& line, std::string* name) {
    std::size_t i = FirstNonBlank(line);
    if (i >= line.size() || line[i] != '[') return false;
    std::size_t close = line.find(']', i + 1);
    std::size_t end = close == std::string::npos ? line.size() : close;
    *name = TrimBlanks(line.substr(i + 1, end - i - 1));
    return true;
}

bool IsCommentOrHeader(const std::string& line) {
    std::size_t i = FirstNonBlank(line);
    return i < line.size() && (line[i] == ';' || line[i] == '#' || line[i] == '[');
}

// "key = value": the key before the first '=', both trimmed.
bool KeyLine(const std::string& line, std::string* key, std::size_t* equals) {
    if (IsCommentOrHeader(line)) return false;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    *key = TrimBlanks(line.substr(0, eq));
    *equals = eq;
    return true;
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2) {
        char first = value.front();
        if ((first == '"' || first == '\'') && value.back() == first) return value.substr(1, value.size() - 2);
    }
    return value;
}

// The value of a key line whose first '=' is at equals.
std::string ValueOf(const std::string& line, std::size_t equals) { return Unquote(TrimBlanks(line.substr(equals + 1))); }

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

std::string TrimBlanks(const std::string& text) {
    std::size_t begin = FirstNonBlank(text);
    std::size_t end = text.size();
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

IniDocument IniDocument::Parse(const std::string& bytes) {
    IniDocument doc;
    std::size_t pos = 0;
    if (bytes.compare(0, 3, kBom) == 0) {
        doc.m_bom = true;
        pos = 3;
    }
    bool firstLine = true;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        std::size_t end = nl == std::string::npos ? bytes.size() : nl;
        std::size_t textEnd = end;
        if (textEnd > pos && bytes[textEnd - 1] == '\r') {
            --textEnd;
            if (firstLine && nl != std::string::npos) doc.m_crlf = true;
        }
        doc.m_lines.push_back(bytes.substr(pos, textEnd - pos));
        firstLine = false;
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return doc;
}

std::string IniDocument::Serialise() const {
    const char* eol = m_crlf ? "\r\n" : "\n";
    std::string out = m_bom ? kBom : "";
    for (const std::string& line : m_lines) {
        out += line;
        out += eol;
    }
    return out;
}

std::size_t IniDocument::NextHeader(std::size_t from) const {
    std::string name;
    for (std::size_t i = from; i < m_lines.size(); ++i)
        if (HeaderName(m_lines[i], &name)) return i;
    return m_lines.size();
}

std::vector<IniDocument::Span> IniDocument::SectionSpans(const std::string& section) const {
    std::vector<Span> spans;
    const std::string wanted = TrimBlanks(section);
    std::string name;
    for (std::size_t i = NextHeader(0); i < m_lines.size(); i = NextHeader(i + 1)) {
        HeaderName(m_lines[i], &name);
        if (EqualsNoCase(name, wanted)) spans.push_back({i, NextHeader(i + 1)});
    }
    return spans;
}

std::optional<std::string> IniDocument::Get(const std::string& section, const std::string& key) const {
    const std::string wanted = TrimBlanks(key);
    std::string name;
    std::size_t eq = 0;
    for (const Span& span : SectionSpans(section))
        for (std::size_t i = span.header + 1; i < span.end; ++i)
            if (KeyLine(m_lines[i], &name, &eq) && EqualsNoCase(name, wanted))
                return ValueOf(m_lines[i], eq);
    return std::nullopt;
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    std::string name;
    for (std::size_t i = NextHeader(0); i < m_lines.size(); i = NextHeader(i + 1)) {
        HeaderName(m_lines[i], &name);
        bool seen = false;
        for (const std::string& n : names) seen = seen || EqualsNoCase(n, name);
        if (!seen) names.push_back(name);
    }
    return names;
}

std::vector<std::string> IniDocument::KeyNames(const std::string& section) const {
    std::vector<std::string> names;
    std::string name;
    std::size_t eq = 0;
    for (const Span& span : SectionSpans(section))
        for (std::size_t i = span.header + 1; i < span.end; ++i) {
            if (!KeyLine(m_lines[i], &name, &eq)) continue;
            bool seen = false;
            for (const std::string& n : names) seen = seen || EqualsNoCase(n, name);
            if (!seen) names.push_back(name);
        }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string name;
    std::size_t eq = 0;
    for (const Span& span : SectionSpans(section))
        for (std::size_t i = span.header + 1; i < span.end; ++i)
            if (KeyLine(m_lines[i], &name, &eq)) entries.emplace_back(name, ValueOf(m_lines[i], eq));
    return entries;
}

void IniDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string wanted = TrimBlanks(key);
    std::string name;
    std::size_t eq = 0;
    const std::vector<Span> spans = SectionSpans(section);
    for (const Span& span : spans)
        for (std::size_t i = span.header + 1; i < span.end; ++i)
            if (KeyLine(m_lines[i], &name, &eq) && EqualsNoCase(name, wanted)) {
                // The line keeps its own spelling and spacing of the key.
                m_lines[i] = m_lines[i].substr(0, eq + 1) + value;
                return;
            }
    std::string line = wanted + "=" + value;
    if (!spans.empty()) {
        // After the section's last non-blank line, so blank separators stay in place.
        const Span& span = spans.front();
        std::size_t at = span.end;
        while (at > span.header + 1 && TrimBlanks(m_lines[at - 1]).empty()) --at;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        return;
    }
    if (!m_lines.empty() && !TrimBlanks(m_lines.back()).empty()) m_lines.emplace_back();
    m_lines.push_back("[" + TrimBlanks(section) + "]");
    m_lines.push_back(line);
}

void IniDocument::DeleteKey(const std::string& section, const std::string& key) {
    const std::string wanted = TrimBlanks(key);
    std::string name;
    std::size_t eq = 0;
    std::vector<Span> spans = SectionSpans(section);
    // Back to front so earlier indexes stay valid while lines go.
    for (auto span = spans.rbegin(); span != spans.rend(); ++span)
        for (std::size_t i = span->end; i-- > span->header + 1;)
            if (KeyLine(m_lines[i], &name, &eq) && EqualsNoCase(name, wanted))
                m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
}

void IniDocument::DeleteSection(const std::string& section) {
    std::vector<Span> spans = SectionSpans(section);
    for (auto span = spans.rbegin(); span != spans.rend(); ++span)
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(span->end));
}

bool IniDocument::IsWritableSection(const std::string& section) {
    return !HasLineBreak(section) && section.find(']') == std::string::npos;
}

bool IniDocument::IsWritableKey(const std::string& key) {
    std::string trimmed = TrimBlanks(key);
    return !trimmed.empty() && !HasLineBreak(key) && key.find('=') == std::string::npos &&
           !IsCommentOrHeader(trimmed);
}

bool IniDocument::IsWritableValue(const std::string& value) { return !HasLineBreak(value); }

}  // namespace kernel
