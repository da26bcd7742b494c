#include "platform/kernel/ini_document.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

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

namespace {

// A name as the comparisons see it: trimmed, ASCII letters in lower case.
std::string Folded(const std::string& name) {
    std::string folded = TrimBlanks(name);
    for (char& c : folded) c = LowerAscii(c);
    return folded;
}

// What a run of changes leaves for one key: its last value (none: it goes), and whether a
// deletion came first, so that the lines it had go and the value starts a new line.
struct KeyPlan {
    std::string key;  // trimmed, spelled as the write that made its line
    std::optional<std::string> value;
    bool dropLines = false;
    std::size_t order = 0;  // where a new line goes among the others
    bool placed = false;    // the value is in a line already
};

// What a run of changes leaves for one section: its keys' plans, and whether a deletion
// of the whole section came first.
struct SectionPlan {
    std::string name;  // as spelled where it is made anew, trimmed
    bool dropLines = false;
    bool made = false;      // a value was written since the plan began
    std::size_t order = 0;  // when it was made, for new sections at the end
    std::vector<KeyPlan> keys;
    std::unordered_map<std::string, std::size_t> byKey;  // folded key -> keys
    std::size_t insertAt = SIZE_MAX;                     // after its first span, in the output

    KeyPlan& Key(const std::string& key, std::size_t* counter) {
        auto [it, added] = byKey.emplace(Folded(key), keys.size());
        if (added) keys.push_back(KeyPlan{TrimBlanks(key), std::nullopt, false, (*counter)++, false});
        return keys[it->second];
    }
    // New lines in the order their values were written.
    std::vector<const KeyPlan*> NewLines() const {
        std::vector<const KeyPlan*> lines;
        for (const KeyPlan& k : keys)
            if (k.value && !k.placed) lines.push_back(&k);
        std::sort(lines.begin(), lines.end(), [](const KeyPlan* a, const KeyPlan* b) { return a->order < b->order; });
        return lines;
    }
};

}  // namespace

void IniDocument::Apply(const std::vector<IniChange>& changes) {
    std::vector<SectionPlan> plans;
    std::unordered_map<std::string, std::size_t> bySection;
    std::size_t counter = 0;
    for (const IniChange& change : changes) {
        auto [it, added] = bySection.emplace(Folded(change.section), plans.size());
        if (added) plans.push_back(SectionPlan{});
        SectionPlan& plan = plans[it->second];
        if (!change.key) {
            // Made again later, the section comes back at the end of the file.
            plan = SectionPlan{};
            plan.dropLines = true;
            continue;
        }
        // A new section is made by the first value written into it, spelled as that names it.
        if (change.value && !plan.made) {
            plan.made = true;
            plan.order = counter++;
            plan.name = TrimBlanks(change.section);
        }
        KeyPlan& key = plan.Key(*change.key, &counter);
        if (!change.value) {
            key.value.reset();
            key.dropLines = true;
        } else {
            if (!key.value) {
                // A new line, after those written before it, spelled as this write names the key.
                key.order = counter++;
                key.key = TrimBlanks(*change.key);
            }
            key.value = change.value;
        }
    }

    std::vector<std::string> out;
    out.reserve(m_lines.size() + changes.size());
    SectionPlan* current = nullptr;  // the plan of the section the line is in
    std::string name;
    std::string key;
    std::size_t eq = 0;
    const auto closeSpan = [&out](SectionPlan* plan) {
        if (!plan || plan->dropLines || plan->insertAt != SIZE_MAX) return;
        // After the span's last non-blank line, so blank separators stay in place; the
        // header is always there to stop at.
        std::size_t at = out.size();
        while (TrimBlanks(out[at - 1]).empty()) --at;
        plan->insertAt = at;
    };
    for (const std::string& line : m_lines) {
        if (HeaderName(line, &name)) {
            closeSpan(current);
            auto it = bySection.find(Folded(name));
            current = it == bySection.end() ? nullptr : &plans[it->second];
        }
        if (current && current->dropLines) continue;
        if (current && KeyLine(line, &key, &eq)) {
            auto it = current->byKey.find(Folded(key));
            if (it != current->byKey.end()) {
                KeyPlan& plan = current->keys[it->second];
                if (plan.dropLines || !plan.value) continue;
                if (!plan.placed) {
                    plan.placed = true;
                    // The line keeps its own spelling and spacing of the key.
                    out.push_back(line.substr(0, eq + 1) + *plan.value);
                    continue;
                }
            }
        }
        out.push_back(line);
    }
    closeSpan(current);

    // New lines of sections that are in the file, from the last insertion point back so
    // the earlier ones stay where they are.
    std::vector<SectionPlan*> inFile;
    std::vector<SectionPlan*> atEnd;
    for (SectionPlan& plan : plans) (plan.insertAt != SIZE_MAX ? inFile : atEnd).push_back(&plan);
    std::sort(inFile.begin(), inFile.end(), [](auto* a, auto* b) { return a->insertAt > b->insertAt; });
    for (SectionPlan* plan : inFile) {
        std::vector<std::string> lines;
        for (const KeyPlan* k : plan->NewLines()) lines.push_back(k->key + "=" + *k->value);
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(plan->insertAt), lines.begin(), lines.end());
    }
    std::sort(atEnd.begin(), atEnd.end(), [](auto* a, auto* b) { return a->order < b->order; });
    for (SectionPlan* plan : atEnd) {
        if (!plan->made) continue;
        const std::vector<const KeyPlan*> lines = plan->NewLines();
        if (!out.empty() && !TrimBlanks(out.back()).empty()) out.emplace_back();
        out.push_back("[" + plan->name + "]");
        for (const KeyPlan* k : lines) out.push_back(k->key + "=" + *k->value);
    }
    m_lines = std::move(out);
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
